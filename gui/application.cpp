#include "gui/application.h"

#include "core/version.h"
#include "gui/fonts.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
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

} // namespace

QTranslator *installJapaneseQtTexts(QApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
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
            std::fprintf(stderr, "lumivert: %s は使えないオプションです。\n%s", qPrintable(argument),
                         UsageText);
            return std::nullopt;
        }
        files << QDir::current().absoluteFilePath(argument);
    }
    return files;
}

} // namespace lumivert
