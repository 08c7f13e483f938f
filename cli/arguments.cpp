#include "cli/arguments.h"

#include "core/version.h"

#include <QColor>
#include <QDir>

#include <array>

namespace lumivert::cli {

namespace {

enum CommandBit { ConvertBit = 1, ShowBit = 2, InfoBit = 4 };

struct OptionSpec
{
    const char *longName;
    char shortName; // 0 when there is none
    bool takesValue;
    int commands;
};

constexpr std::array<OptionSpec, 18> options{{
    {"output", 'o', true, ConvertBit | ShowBit},
    {"out-dir", 0, true, ConvertBit},
    {"recursive", 'r', false, ConvertBit},
    {"jobs", 'j', true, ConvertBit},
    {"dither", 0, true, ConvertBit},
    {"gamma", 0, true, ConvertBit},
    {"fit", 0, true, ConvertBit},
    {"background", 0, true, ConvertBit},
    {"fill", 0, false, ConvertBit},
    {"enlarge", 0, false, ConvertBit},
    {"rotate", 0, true, ConvertBit},
    {"mirror", 0, true, ConvertBit},
    {"size", 0, true, ShowBit},
    {"force", 'f', false, ShowBit},
    {"keep-going", 'k', false, ConvertBit | InfoBit},
    {"quiet", 'q', false, ConvertBit | ShowBit | InfoBit},
    {"help", 'h', false, ConvertBit | ShowBit | InfoBit},
    {"version", 0, false, ConvertBit | ShowBit | InfoBit},
}};

const OptionSpec *findLong(QStringView name)
{
    for (const auto &o : options) {
        if (name == QLatin1String(o.longName))
            return &o;
    }
    return nullptr;
}

const OptionSpec *findShort(QChar c)
{
    for (const auto &o : options) {
        if (o.shortName && c == QLatin1Char(o.shortName))
            return &o;
    }
    return nullptr;
}

int commandBit(Command c)
{
    switch (c) {
    case Command::Convert:
        return ConvertBit;
    case Command::Show:
        return ShowBit;
    case Command::Info:
        return InfoBit;
    default:
        return 0;
    }
}

ParsedArguments failure(const QString &reason)
{
    return {std::nullopt, reason};
}

// Stores one option's value; returns the reason when the value is not usable.
QString applyOption(Arguments &a, const OptionSpec &o, const QString &value)
{
    const QLatin1String name(o.longName);
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

// Reads the arguments in order: options as they come, the first other word as the command and the
// words after it as inputs. Stops at the first argument that is not usable, or at --help or
// --version.
struct ArgumentReader
{
    explicit ArgumentReader(const QStringList &list) : args(list) {}

    const QStringList &args;
    qsizetype at = 0; // the argument being read
    bool optionsEnded = false;
    Arguments arguments;
    bool haveCommand = false;
    QList<const OptionSpec *> seen;
    std::optional<Command> early; // --help or --version: nothing else matters

    // The reason the first unusable argument is not usable; empty when all are.
    QString read()
    {
        for (at = 0; at < args.size() && !early; ++at) {
            const QString &arg = args.at(at);
            QString problem;
            if (!optionsEnded && arg == QLatin1String("--"))
                optionsEnded = true;
            else if (!optionsEnded && arg.startsWith(QLatin1String("--")))
                problem = longOption(arg);
            else if (!optionsEnded && arg.size() > 1 && arg.startsWith(QLatin1Char('-')))
                problem = shortOptions(arg);
            else
                problem = word(arg);
            if (!problem.isEmpty())
                return problem;
        }
        return {};
    }

    // --name or --name=value.
    QString longOption(const QString &arg)
    {
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
        const OptionSpec *spec = findLong(name);
        const QString shown = QStringLiteral("--") + name;
        if (!spec)
            return QStringLiteral("unknown option '%1'").arg(shown);
        if (eq >= 0 && !spec->takesValue)
            return QStringLiteral("option '%1' takes no value").arg(shown);
        return take(*spec, eq >= 0 ? std::optional<QString>(arg.mid(eq + 1)) : std::nullopt, shown);
    }

    // -kq is -k -q; an option that takes a value takes the rest (-j2) or the next argument.
    QString shortOptions(const QString &arg)
    {
        for (qsizetype k = 1; k < arg.size() && !early; ++k) {
            const OptionSpec *spec = findShort(arg.at(k));
            const QString shown = QLatin1Char('-') + arg.at(k);
            if (!spec)
                return QStringLiteral("unknown option '%1'").arg(shown);
            const bool rest = spec->takesValue && k + 1 < arg.size();
            const QString problem =
                take(*spec, rest ? std::optional<QString>(arg.mid(k + 1)) : std::nullopt, shown);
            if (!problem.isEmpty())
                return problem;
            if (spec->takesValue)
                break;
        }
        return {};
    }

    // The command, or after it an input.
    QString word(const QString &arg)
    {
        if (haveCommand) {
            arguments.inputs.append(arg == QLatin1String("-") ? arg : QDir::fromNativeSeparators(arg));
            return {};
        }
        if (arg == QLatin1String("convert"))
            arguments.command = Command::Convert;
        else if (arg == QLatin1String("show"))
            arguments.command = Command::Show;
        else if (arg == QLatin1String("info"))
            arguments.command = Command::Info;
        else
            return QStringLiteral("unknown command '%1'").arg(arg);
        haveCommand = true;
        return {};
    }

    // One option with its value, if it was given one; a value it needs and was not given is the
    // next argument.
    QString take(const OptionSpec &spec, std::optional<QString> value, const QString &shown)
    {
        if (spec.longName == QLatin1String("help")) {
            early = early.value_or(Command::Help);
            return {};
        }
        if (spec.longName == QLatin1String("version")) {
            early = early.value_or(Command::Version);
            return {};
        }
        if (spec.takesValue && !value) {
            if (at + 1 >= args.size())
                return QStringLiteral("option '%1' needs a value").arg(shown);
            value = args.at(++at);
        }
        seen.append(&spec);
        return applyOption(arguments, spec, value.value_or(QString()));
    }
};

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

ParsedArguments parseArguments(const QStringList &args)
{
    ArgumentReader reader(args);
    if (const QString problem = reader.read(); !problem.isEmpty())
        return failure(problem);
    if (reader.early) {
        Arguments e;
        e.command = *reader.early;
        return {e, {}};
    }

    const Arguments &a = reader.arguments;
    if (!reader.haveCommand)
        return failure(QStringLiteral("no command given (convert, show or info)"));
    for (const OptionSpec *spec : reader.seen) {
        if (!(spec->commands & commandBit(a.command)))
            return failure(
                QStringLiteral("option '--%1' does not apply to this command").arg(spec->longName));
    }
    if (const QString problem = commandProblem(a); !problem.isEmpty())
        return failure(problem);
    return {a, {}};
}

QString versionText()
{
    return QStringLiteral("lumivert-cli ") + versionString();
}

QString usageText()
{
    return QStringLiteral(
        "Usage: lumivert-cli convert [options] PICTURE|FOLDER...\n"
        "       lumivert-cli show [options] FILE.BIN\n"
        "       lumivert-cli info [options] FILE...\n"
        "\n"
        "Converts pictures into RGB332 BIN files for the LCD unit (one byte per pixel),\n"
        "shows BIN files as pictures, and tells what a file holds.\n"
        "\n"
        "convert: writes one BIN file per picture, by default beside it with its extension\n"
        "replaced by BIN (a.jpg -> a.BIN; a name without extension gets .BIN appended).\n"
        "Pictures over 640x480 (as turned by --rotate) are refused unless --fit is given.\n"
        "An existing BIN file is replaced, but never an input, a picture, or a file that\n"
        "two inputs would write.\n"
        "A PICTURE of - is read from standard input (needs -o).\n"
        "  -o, --output FILE      the BIN file to write (one picture only; - for standard output)\n"
        "      --out-dir DIR      write the BIN files into DIR (a folder's sub-folders are kept)\n"
        "  -r, --recursive        take the pictures of sub-folders too\n"
        "  -j, --jobs N           convert N pictures at a time, 1 to 64 (default: one per core;\n"
        "                         at most four per core are used)\n"
        "      --dither METHOD    none (default: the display's truncation), nearest (the nearest\n"
        "                         shown colour: logos, text), floyd-steinberg (error diffusion:\n"
        "                         photographs) or ordered (an 8x8 pattern)\n"
        "      --gamma srgb|N     how the panel turns values into light, which the two dithers\n"
        "                         balance: srgb (default) or a power N from 0.1 to 5 (1: code values)\n"
        "      --fit WxH          320x240 or 640x480: shrink larger pictures keeping their aspect\n"
        "                         and centre every picture on a WxH background\n"
        "      --background COLOR the colour around a fitted picture (default black)\n"
        "      --fill             with --fit: cover the whole screen, cutting the overflow off\n"
        "                         equally on both sides\n"
        "      --enlarge          with --fit: scale up pictures smaller than the screen too\n"
        "      --rotate DEGREES   90, 180 or 270: turn every picture clockwise before fitting\n"
        "      --mirror SIDE      horizontal (left-right) or vertical (top-bottom): mirror every\n"
        "                         picture, after --rotate and before fitting\n"
        "  -k, --keep-going       go on after a file fails (default: stop at the first)\n"
        "  -q, --quiet            no progress bar and no closing line\n"
        "\n"
        "show: renders a BIN file as the display shows it, by default into FILE.png,\n"
        "which must not exist yet. A FILE.BIN of - is read from standard input (needs -o).\n"
        "  -o, --output PICTURE   the picture to write (.png, .bmp or another format Qt writes),\n"
        "                         replaced if it exists; - writes a PNG to standard output\n"
        "      --size WxH         the geometry of a file that is neither 76800 nor 307200 bytes long\n"
        "  -f, --force            replace FILE.png when it exists\n"
        "  -q, --quiet            accepted; show prints nothing but errors anyway\n"
        "\n"
        "info: prints each picture's size and format, or a BIN file's geometry; a file it cannot\n"
        "read is reported and the others are still described. A FILE of - is standard input.\n"
        "  -k, --keep-going       accepted; info always goes on\n"
        "  -q, --quiet            accepted; info prints its descriptions all the same\n"
        "\n"
        "  -h, --help             this text\n"
        "      --version          the version\n"
        "\n"
        "Short options combine (-kq, -kj2); -- ends the options. Names in messages are quoted\n"
        "as a shell would need them ('a b.jpg', 'bad'$'\\n''name.jpg').\n"
        "convert ends with a line \"N converted, M failed\" on stderr (not with --quiet).\n"
        "Exit status: 0 all files done, 1 some file failed, 2 usage error.\n");
}

} // namespace lumivert::cli
