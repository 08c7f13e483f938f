#include "cli/arguments.h"

#include "core/version.h"

#include <QColor>
#include <QCommandLineParser>
#include <QDir>

#include <span>

namespace lumivert::cli {

namespace {

struct OptionRow
{
    const char *shortName; // null when there is none
    const char *longName;
    const char *valueName; // null for a flag
    const char *description;
};

constexpr OptionRow HelpRow{"h", "help", nullptr, "this text"};
constexpr OptionRow VersionRow{nullptr, "version", nullptr, "the version"};

constexpr OptionRow ConvertOptions[] = {
    {"o", "output", "FILE", "the BIN file to write (one picture only; - for standard output)"},
    {nullptr, "out-dir", "DIR", "write the BIN files into DIR (a folder's sub-folders are kept)"},
    {"r", "recursive", nullptr, "take the pictures of sub-folders too"},
    {"j", "jobs", "N",
     "convert N pictures at a time, 1 to 64 (default: one per core; at most four per core are used)"},
    {nullptr, "dither", "METHOD",
     "none (default: the display's truncation), nearest (the nearest shown colour: logos, text), "
     "floyd-steinberg (error diffusion: photographs) or ordered (an 8x8 pattern)"},
    {nullptr, "gamma", "srgb|N",
     "how the panel turns values into light, which the two dithers balance: srgb (default) or a power N "
     "from 0.1 to 5 (1: code values)"},
    {nullptr, "fit", "WxH",
     "320x240 or 640x480: shrink larger pictures keeping their aspect and centre every picture on a WxH "
     "background"},
    {nullptr, "background", "COLOR", "the colour around a fitted picture (default black)"},
    {nullptr, "fill", nullptr,
     "with --fit: cover the whole screen, cutting the overflow off equally on both sides"},
    {nullptr, "enlarge", nullptr, "with --fit: scale up pictures smaller than the screen too"},
    {nullptr, "rotate", "DEGREES", "90, 180 or 270: turn every picture clockwise before fitting"},
    {nullptr, "mirror", "SIDE",
     "horizontal (left-right) or vertical (top-bottom): mirror every picture, after --rotate and before "
     "fitting"},
    {"k", "keep-going", nullptr, "go on after a file fails (default: stop at the first)"},
    {"q", "quiet", nullptr, "no progress bar and no closing line"},
    HelpRow,
    VersionRow,
};

constexpr OptionRow ShowOptions[] = {
    {"o", "output", "PICTURE",
     "the picture to write (.png, .bmp or another format Qt writes), replaced if it exists; - writes a PNG "
     "to standard output"},
    {nullptr, "size", "WxH", "the geometry of a file that is neither 76800 nor 307200 bytes long"},
    {"f", "force", nullptr, "replace FILE.png when it exists"},
    {"q", "quiet", nullptr, "accepted; show prints nothing but errors anyway"},
    HelpRow,
    VersionRow,
};

constexpr OptionRow InfoOptions[] = {
    {"k", "keep-going", nullptr, "accepted; info always goes on"},
    {"q", "quiet", nullptr, "accepted; info prints its descriptions all the same"},
    HelpRow,
    VersionRow,
};

struct CommandSpec
{
    Command command;
    const char *name;
    const char *description;
    const char *arguments; // as the usage line shows them
    const char *argumentsDescription;
    std::span<const OptionRow> options;
};

constexpr CommandSpec Commands[] = {
    {Command::Convert, "convert",
     "Writes one BIN file per picture, by default beside it with its extension\n"
     "replaced by BIN (a.jpg -> a.BIN; a name without extension gets .BIN appended).\n"
     "Pictures over 640x480 (as turned by --rotate) are refused unless --fit is given.\n"
     "An existing BIN file is replaced, but never an input, a picture, or a file that\n"
     "two inputs would write.",
     "PICTURE|FOLDER...", "pictures, or folders of them; - reads one from standard input (needs -o)",
     ConvertOptions},
    {Command::Show, "show",
     "Renders a BIN file as the display shows it, by default into FILE.png,\n"
     "which must not exist yet.",
     "FILE.BIN", "the BIN file; - reads it from standard input (needs -o)", ShowOptions},
    {Command::Info, "info",
     "Prints each picture's size and format, or a BIN file's geometry; a file it cannot\n"
     "read is reported and the others are still described.",
     "FILE...", "the files to describe; - is standard input", InfoOptions},
};

const CommandSpec *findCommand(const QString &name)
{
    for (const CommandSpec &c : Commands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

const CommandSpec &specOf(Command command)
{
    for (const CommandSpec &c : Commands) {
        if (c.command == command)
            return c;
    }
    return Commands[0];
}

QCommandLineOption optionOf(const OptionRow &row)
{
    QStringList names;
    if (row.shortName)
        names << QLatin1String(row.shortName);
    names << QLatin1String(row.longName);
    return QCommandLineOption(names, QString::fromUtf8(row.description),
                              row.valueName ? QString::fromLatin1(row.valueName) : QString());
}

void describeCommand(QCommandLineParser &parser, const CommandSpec &spec)
{
    parser.setApplicationDescription(QString::fromUtf8(spec.description));
    for (const OptionRow &row : spec.options)
        parser.addOption(optionOf(row));
    parser.addPositionalArgument(QLatin1String(spec.arguments), QString::fromUtf8(spec.argumentsDescription));
}

// The long name of an option some command has, for a name as Qt reports it (without dashes).
const char *knownLongName(const QString &name)
{
    for (const CommandSpec &c : Commands) {
        for (const OptionRow &row : c.options) {
            if (name == QLatin1String(row.longName) ||
                (row.shortName && name == QLatin1String(row.shortName)))
                return row.longName;
        }
    }
    return nullptr;
}

// Why a parser refused the arguments, in the words our other messages use where we can tell.
QString parserProblem(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    const QString &name = unknown.constFirst();
    if (const char *longName = knownLongName(name))
        return QStringLiteral("option '--%1' does not apply to this command").arg(QLatin1String(longName));
    return QStringLiteral("unknown option '%1%2'")
        .arg(name.size() == 1 ? QLatin1String("-") : QLatin1String("--"), name);
}

ParsedArguments failure(const QString &reason)
{
    return {std::nullopt, reason};
}

ParsedArguments early(Command command, Command helpOn = Command::Help)
{
    Arguments a;
    a.command = command;
    a.helpOn = helpOn;
    return {a, {}};
}

// Stores one option's value; returns the reason when the value is not usable.
QString applyOption(Arguments &a, QLatin1String name, const QString &value)
{
    if (name == QLatin1String("output")) {
        if (value.isEmpty())
            return QStringLiteral("--output needs a file name");
        a.output = QDir::fromNativeSeparators(value);
    } else if (name == QLatin1String("out-dir")) {
        if (value.isEmpty())
            return QStringLiteral("--out-dir needs a folder name");
        a.outDir = QDir::fromNativeSeparators(value);
    } else if (name == QLatin1String("recursive")) {
        a.recursive = true;
    } else if (name == QLatin1String("jobs")) {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (!ok || n < 1 || n > MostJobs)
            return QStringLiteral("--jobs needs a number from 1 to %1, not '%2'").arg(MostJobs).arg(value);
        a.jobs = n;
    } else if (name == QLatin1String("dither")) {
        const auto d = parseDither(value);
        if (!d)
            return QStringLiteral("--dither must be none, nearest, floyd-steinberg or ordered, not '%1'")
                .arg(value);
        a.dither = *d;
    } else if (name == QLatin1String("gamma")) {
        const auto light = parseGamma(value);
        if (!light)
            return QStringLiteral("--gamma must be srgb or a number from 0.1 to 5, not '%1'").arg(value);
        a.light = *light;
    } else if (name == QLatin1String("fit")) {
        const auto s = parseSize(value);
        if (!s || (*s != QSize(320, 240) && *s != QSize(640, 480)))
            return QStringLiteral("--fit must be 320x240 or 640x480, not '%1'").arg(value);
        a.fit = s;
    } else if (name == QLatin1String("background")) {
        const QColor c = QColor::fromString(value);
        if (!c.isValid())
            return QStringLiteral("--background must be a colour such as black, white or #336699, not '%1'")
                .arg(value);
        a.background = c.rgb();
    } else if (name == QLatin1String("fill")) {
        a.placement.mode = FitMode::Fill;
    } else if (name == QLatin1String("enlarge")) {
        a.placement.enlarge = true;
    } else if (name == QLatin1String("rotate")) {
        const auto r = parseRotation(value);
        if (!r)
            return QStringLiteral("--rotate must be 90, 180 or 270, not '%1'").arg(value);
        a.placement.rotation = *r;
    } else if (name == QLatin1String("mirror")) {
        const auto m = parseMirror(value);
        if (!m)
            return QStringLiteral("--mirror must be horizontal or vertical, not '%1'").arg(value);
        a.placement.mirror = *m;
    } else if (name == QLatin1String("size")) {
        const auto s = parseSize(value);
        if (!s || s->width() > 65535 || s->height() > 65535)
            return QStringLiteral("--size must be WIDTHxHEIGHT, such as 320x240, not '%1'").arg(value);
        a.size = s;
    } else if (name == QLatin1String("force")) {
        a.force = true;
    } else if (name == QLatin1String("keep-going")) {
        a.keepGoing = true;
    } else if (name == QLatin1String("quiet")) {
        a.quiet = true;
    }
    return {};
}

// What the command itself asks of the inputs and options; empty when they suit it.
QString commandProblem(const Arguments &a)
{
    switch (a.command) {
    case Command::Convert:
        if (a.inputs.isEmpty())
            return QStringLiteral("convert needs at least one picture or folder");
        if (!a.output.isEmpty() && a.inputs.size() != 1)
            return QStringLiteral("-o names one output, so it takes exactly one picture");
        if (!a.output.isEmpty() && !a.outDir.isEmpty())
            return QStringLiteral("-o and --out-dir cannot be used together");
        if (a.output.isEmpty() && a.inputs.contains(QLatin1String("-")))
            return QStringLiteral("a picture read from standard input needs -o (-o - for standard output)");
        if (!a.fit && (a.placement.mode == FitMode::Fill || a.placement.enlarge))
            return QStringLiteral("--%1 needs --fit, the screen size it fills")
                .arg(a.placement.mode == FitMode::Fill ? QLatin1String("fill") : QLatin1String("enlarge"));
        break;
    case Command::Show:
        if (a.inputs.size() != 1)
            return QStringLiteral("show takes exactly one BIN file");
        if (a.output.isEmpty() && a.inputs.constFirst() == QLatin1String("-"))
            return QStringLiteral("a BIN file read from standard input needs -o (-o - for standard output)");
        break;
    case Command::Info:
        if (a.inputs.isEmpty())
            return QStringLiteral("info needs at least one file");
        break;
    default:
        break;
    }
    return {};
}

} // namespace

std::optional<QSize> parseSize(const QString &text)
{
    const int x = text.indexOf(QLatin1Char('x'), 0, Qt::CaseInsensitive);
    if (x <= 0)
        return std::nullopt;
    bool okW = false;
    bool okH = false;
    const QStringView view(text);
    // Digits only: toInt alone would also take signs and blanks.
    for (QChar c : view) {
        if (!c.isDigit() && c.toLower() != QLatin1Char('x'))
            return std::nullopt;
    }
    const int w = view.left(x).toInt(&okW);
    const int h = view.mid(x + 1).toInt(&okH);
    if (!okW || !okH || w <= 0 || h <= 0)
        return std::nullopt;
    return QSize(w, h);
}

std::optional<Dither> parseDither(const QString &text)
{
    if (text == QLatin1String("none"))
        return Dither::None;
    if (text == QLatin1String("nearest"))
        return Dither::Nearest;
    if (text == QLatin1String("floyd-steinberg"))
        return Dither::FloydSteinberg;
    if (text == QLatin1String("ordered"))
        return Dither::Ordered;
    return std::nullopt;
}

std::optional<LightResponse> parseGamma(const QString &text)
{
    if (text == QLatin1String("srgb"))
        return LightResponse::srgb();
    bool ok = false;
    const double exponent = text.toDouble(&ok);
    // Past 5 the first lit level of red and green carries no light in twelve bits, so it could not be told
    // from black; below 0.1 every lit level is nearly white.
    if (!ok || !(exponent >= 0.1 && exponent <= 5))
        return std::nullopt;
    return LightResponse::power(exponent);
}

std::optional<Rotation> parseRotation(const QString &text)
{
    if (text == QLatin1String("90"))
        return Rotation::Quarter;
    if (text == QLatin1String("180"))
        return Rotation::Half;
    if (text == QLatin1String("270"))
        return Rotation::ThreeQuarters;
    return std::nullopt;
}

std::optional<Mirror> parseMirror(const QString &text)
{
    if (text == QLatin1String("horizontal"))
        return Mirror::Horizontal;
    if (text == QLatin1String("vertical"))
        return Mirror::Vertical;
    return std::nullopt;
}

ParsedArguments parseArguments(const QStringList &arguments)
{
    // Qt's parser skips the first word, the program's name.
    const QStringList args = QStringList(QStringLiteral("lumivert-cli")) + arguments;
    // The command is the first word that is not an option, so a first pass that knows every command's
    // options (and so which take values) finds it and looks no further.
    QCommandLineParser first;
    first.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    QStringList added;
    for (const CommandSpec &c : Commands) {
        for (const OptionRow &row : c.options) {
            if (!added.contains(QLatin1String(row.longName))) {
                added.append(QLatin1String(row.longName));
                first.addOption(optionOf(row));
            }
        }
    }
    if (!first.parse(args))
        return failure(parserProblem(first));
    const QString word = first.positionalArguments().value(0);
    const CommandSpec *spec = first.positionalArguments().isEmpty() ? nullptr : findCommand(word);
    if (first.isSet(QStringLiteral("help")))
        return early(Command::Help, spec ? spec->command : Command::Help);
    if (first.isSet(QStringLiteral("version")))
        return early(Command::Version);
    if (first.positionalArguments().isEmpty())
        return failure(QStringLiteral("no command given (convert, show or info)"));
    if (!spec)
        return failure(QStringLiteral("unknown command '%1'").arg(word));

    // The command's own parser reads the whole line: its options may come before or after the command.
    QCommandLineParser parser;
    describeCommand(parser, *spec);
    if (!parser.parse(args))
        return failure(parserProblem(parser));
    if (parser.isSet(QStringLiteral("help")))
        return early(Command::Help, spec->command);
    if (parser.isSet(QStringLiteral("version")))
        return early(Command::Version);

    Arguments a;
    a.command = spec->command;
    for (const OptionRow &row : spec->options) {
        const QLatin1String name(row.longName);
        const QStringList values =
            row.valueName ? parser.values(name) : QStringList(parser.isSet(name) ? 1 : 0, QString());
        for (const QString &value : values) {
            if (const QString problem = applyOption(a, name, value); !problem.isEmpty())
                return failure(problem);
        }
    }
    for (const QString &input : parser.positionalArguments().mid(1))
        a.inputs.append(input == QLatin1String("-") ? input : QDir::fromNativeSeparators(input));
    if (const QString problem = commandProblem(a); !problem.isEmpty())
        return failure(problem);
    return {a, {}};
}

QString versionText()
{
    return QStringLiteral("lumivert-cli ") + versionString();
}

QString usageText(Command command)
{
    if (command == Command::Convert || command == Command::Show || command == Command::Info) {
        const CommandSpec &spec = specOf(command);
        QCommandLineParser parser;
        describeCommand(parser, spec);
        QString text = parser.helpText();
        // Qt names the program as it was started; the usage line names it and the command as typed.
        text.replace(0, text.indexOf(QLatin1String(" [options]")),
                     QStringLiteral("Usage: lumivert-cli ") + QLatin1String(spec.name));
        return text;
    }
    QString text =
        QStringLiteral("Usage: lumivert-cli convert|show|info [options] ...\n"
                       "Converts pictures into RGB332 BIN files for the LCD unit (one byte per pixel),\n"
                       "shows BIN files as pictures, and tells what a file holds.\n");
    for (const CommandSpec &c : Commands)
        text += QLatin1Char('\n') + usageText(c.command);
    text += QStringLiteral(
        "\n"
        "Short options combine (-kq, -kj2); -- ends the options. Names in messages are quoted\n"
        "as a shell would need them ('a b.jpg', 'bad'$'\\n''name.jpg').\n"
        "convert ends with a line \"N converted, M failed\" on stderr (not with --quiet).\n"
        "Exit status: 0 all files done, 1 some file failed, 2 usage error.\n");
    return text;
}

} // namespace lumivert::cli
