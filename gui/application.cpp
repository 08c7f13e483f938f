#include "gui/application.h"

#include "core/version.h"
#include "gui/fonts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace lumivert {

namespace {

const char UsageText[] = "使い方: lumivert [ファイル]\n"
                         "\n"
                         "画像（BMP・JPG、最大 640×480）を LCD 表示器用の 256 色 BIN ファイルに変換します。\n"
                         "ファイルを指定すると、画像の上にドロップしたときと同じように開きます\n"
                         "（画像ファイル又は BIN ファイル）。\n"
                         "\n"
                         "  -h, --help     この説明を表示して終了します\n"
                         "      --version  バージョンを表示して終了します\n";

void printUnknownOption(const QString &argument)
{
    std::fprintf(stderr, "lumivert: %s は使えないオプションです。\n%s", qPrintable(argument), UsageText);
}

// Only our own options are described here. Qt's (-platform xcb, -style fusion, -reverse and the rest)
// are left to QApplication, which takes them out of the arguments as it starts: the files are read from
// what it leaves, and an option still there then is nobody's. Keeping a list of Qt's options instead
// would go stale with each Qt release and platform plugin. Single-dash words are whole names, so that
// -stylesheet is not read as -s -t -y ... -h.
void describeOptions(QCommandLineParser &parser)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    parser.addPositionalArgument(QStringLiteral("files"), QString());
}

// The argument as typed for an option name as the parser reports it (without dashes or value).
QString spelled(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        QStringView bare(argument);
        bare = bare.mid(bare.startsWith(QLatin1String("--")) ? 2 : 1);
        if (argument.startsWith(u'-') && bare.left(bare.indexOf(u'=')) == name)
            return argument;
    }
    return name;
}

} // namespace

QTranslator *installJapaneseQtTexts(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/translations/qtbase_ja.qm"))) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}

void setUpApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("lumivert"));
    QApplication::setApplicationVersion(versionString());
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumivert.png")));
    installFontSubstitutions();
    useProportionalJapaneseFont();
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installJapaneseQtTexts(app);
}

std::optional<int> answerInformationOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    // Unknown options are no reason to stop yet: they may be Qt's, which QApplication takes later.
    parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(UsageText, stdout);
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("256色Lumivert %s\n", qPrintable(versionString()));
        return 0;
    }
    // Qt's options are written with one dash, so one with two that is not ours is refused here, before
    // anything needs a display (without one Qt would end the program first).
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument.startsWith(QLatin1String("--")) &&
            unknown.contains(argument.mid(2).section(u'=', 0, 0))) {
            printUnknownOption(argument);
            return 2;
        }
    }
    return std::nullopt;
}

std::optional<QStringList> filesFromArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        printUnknownOption(unknown.isEmpty() ? parser.errorText() : spelled(arguments, unknown.constFirst()));
        return std::nullopt;
    }
    QStringList files;
    for (const QString &argument : parser.positionalArguments())
        files << QDir::current().absoluteFilePath(argument);
    return files;
}

} // namespace lumivert
