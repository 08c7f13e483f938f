#include "gui/application.h"

#include "core/version.h"
#include "gui/fonts.h"

#include <QApplication>
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

bool isOption(const QString &argument)
{
    return argument.startsWith(u'-') && argument.size() > 1;
}

void printUnknownOption(const QString &argument)
{
    std::fprintf(stderr, "lumivert: %s は使えないオプションです。\n%s", qPrintable(argument), UsageText);
}

// How many arguments a Qt option at the front of `arguments` takes up (QApplication removes them), or 0
// for anything else.
int qtOptionLength(const QStringList &arguments)
{
    static const QStringList withValue{
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
        QStringLiteral("display"),         QStringLiteral("name"),
        QStringLiteral("title"),           QStringLiteral("geometry"),
        QStringLiteral("visual")};
    static const QStringList flags{QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                   QStringLiteral("nograb"),  QStringLiteral("dograb"),
                                   QStringLiteral("sync"),    QStringLiteral("testability")};
    QString option = arguments.first();
    option.remove(0, option.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = option.indexOf(u'=');
    if (equals > 0)
        return withValue.contains(option.left(equals)) || option.startsWith(QLatin1String("qmljsdebugger"))
                   ? 1
                   : 0;
    if (withValue.contains(option))
        return arguments.size() > 1 ? 2 : 1;
    return flags.contains(option) ? 1 : 0;
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
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            std::fputs(UsageText, stdout);
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            std::printf("256色Lumivert %s\n", qPrintable(versionString()));
            return 0;
        }
    }
    // Checked here rather than after the application is made: without a display Qt would end the
    // program first.
    QStringList rest = arguments.mid(1);
    while (!rest.isEmpty() && rest.first() != QLatin1String("--")) {
        if (!isOption(rest.first())) {
            rest.removeFirst();
            continue;
        }
        const int taken = qtOptionLength(rest);
        if (taken == 0) {
            printUnknownOption(rest.first());
            return 2;
        }
        rest.remove(0, taken);
    }
    return std::nullopt;
}

std::optional<QStringList> filesFromArguments(const QStringList &arguments)
{
    QStringList files;
    bool optionsEnded = false;
    for (const QString &argument : arguments.mid(1)) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && isOption(argument)) {
            printUnknownOption(argument);
            return std::nullopt;
        }
        files << QDir::current().absoluteFilePath(argument);
    }
    return files;
}

} // namespace lumivert
