#include "app/dialogfolder.h"
#include "app/filedialogtext.h"
#include "app/outputnaming.h"
#include "app/splashlogic.h"
#include "app/windowlayout.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace lumivert;

Q_DECLARE_METATYPE(lumivert::SplashAction)

class TestShellLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splashTick_data();
    void splashTick();
    void versionLabelText();
    void mainWindowSize_data();
    void mainWindowSize();
    void nameFilters_data();
    void nameFilters();
    void globMatching_data();
    void globMatching();
    void commonFolder_data();
    void commonFolder();
    void typedNames_data();
    void typedNames();
    void firstDialogFolder();
};

void TestShellLogic::splashTick_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<SplashAction>("action");

    QTest::newRow("16-bit, wide") << 16 << 1280 << 1 << SplashAction::ColourWarning;
    QTest::newRow("16-bit and narrow: colour first") << 16 << 640 << 1 << SplashAction::ColourWarning;
    QTest::newRow("8-bit at the fourth tick") << 8 << 1024 << 4 << SplashAction::ColourWarning;
    QTest::newRow("24-bit, 799 wide") << 24 << 799 << 1 << SplashAction::WidthWarning;
    QTest::newRow("narrow at the fourth tick") << 32 << 640 << 4 << SplashAction::WidthWarning;
    QTest::newRow("first tick") << 24 << 800 << 1 << SplashAction::None;
    QTest::newRow("second tick") << 24 << 800 << 2 << SplashAction::None;
    QTest::newRow("third tick") << 32 << 1280 << 3 << SplashAction::None;
    QTest::newRow("fourth tick shows the main window") << 24 << 800 << 4 << SplashAction::ShowMain;
    QTest::newRow("32-bit, 1280 wide, fourth tick") << 32 << 1280 << 4 << SplashAction::ShowMain;
}

void TestShellLogic::splashTick()
{
    QFETCH(int, depth);
    QFETCH(int, width);
    QFETCH(int, ticks);
    QTEST(lumivert::splashTick(depth, width, ticks), "action");
}

void TestShellLogic::versionLabelText()
{
    // Half-width katakana, as the splash screen and About box show it.
    QCOMPARE(lumivert::versionLabelText(),
             QString::fromUtf16(u"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D 5.1.0"));
}

void TestShellLogic::mainWindowSize_data()
{
    QTest::addColumn<int>("horzRes");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");

    QTest::newRow("800 wide covers the screen") << 800 << QSize(800, 600) << QSize(800, 600);
    QTest::newRow("800 wide, short screen") << 800 << QSize(800, 480) << QSize(800, 480);
    QTest::newRow("1024 wide") << 1024 << QSize(1024, 768) << QSize(800, 600);
    QTest::newRow("1280 wide") << 1280 << QSize(1280, 1024) << QSize(800, 600);
    QTest::newRow("never measured") << 0 << QSize(1920, 1080) << QSize(800, 600);
    QTest::newRow("never measured, 800 screen") << 0 << QSize(800, 600) << QSize(800, 600);
}

void TestShellLogic::mainWindowSize()
{
    QFETCH(int, horzRes);
    QFETCH(QSize, screen);
    QTEST(lumivert::mainWindowSize(horzRes, screen), "window");
}

void TestShellLogic::nameFilters_data()
{
    QTest::addColumn<QStringList>("filters");
    QTest::addColumn<QStringList>("nameFilters");

    QTest::newRow("pictures") << QStringList{"Picture(*.BMP) (*.BMP)", "Picture(*.JPG) (*.JPG)"}
                              << QStringList{QStringLiteral("Picture(*.BMP) (*.[bB][mM][pP])"),
                                             QStringLiteral("Picture(*.JPG) (*.[jJ][pP][gG])")};
    QTest::newRow("BMP export") << QStringList{"*.BMP (*.BMP)"}
                                << QStringList{QStringLiteral("*.BMP (*.[bB][mM][pP])")};
    QTest::newRow("several patterns")
        << QStringList{"Pictures (*.BMP *.JPG)"}
        << QStringList{QStringLiteral("Pictures (*.[bB][mM][pP] *.[jJ][pP][gG])")};
    QTest::newRow("label without pattern") << QStringList{"Orphan"} << QStringList{"Orphan"};
}

void TestShellLogic::nameFilters()
{
    QFETCH(QStringList, filters);
    QTEST(caseInsensitiveFilters(filters), "nameFilters");
}

void TestShellLogic::globMatching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    QTest::newRow("same case") << QStringLiteral("*.BMP") << QStringLiteral("a.BMP") << true;
    QTest::newRow("lower case") << QStringLiteral("*.BMP") << QStringLiteral("a.bmp") << true;
    QTest::newRow("mixed case") << QStringLiteral("*.JPG") << QStringLiteral("Photo.JpG") << true;
    QTest::newRow("other extension") << QStringLiteral("*.BMP") << QStringLiteral("a.jpg") << false;
    QTest::newRow("longer extension") << QStringLiteral("*.BMP") << QStringLiteral("a.bmpx") << false;
    QTest::newRow("digits and dots kept") << QStringLiteral("*.7z") << QStringLiteral("x.7Z") << true;
}

void TestShellLogic::globMatching()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);

    const QRegularExpression re(
        QRegularExpression::wildcardToRegularExpression(caseInsensitiveGlob(pattern)));
    QVERIFY(re.isValid());
    QCOMPARE(re.match(name).hasMatch(), matches);
}

void TestShellLogic::commonFolder_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("folder");

    QTest::newRow("two files") << QStringList{"/pics/a.jpg", "/pics/b,c.bmp"} << QStringLiteral("/pics");
    QTest::newRow("root folder") << QStringList{"/a.jpg", "/b.jpg"} << QStringLiteral("/");
    QTest::newRow("one in a sub-folder")
        << QStringList{"/b3/sub/x.jpg", "/b3/y.jpg"} << QStringLiteral("/b3");
    QTest::newRow("two folders apart")
        << QStringList{"/elsewhere/b1/d.bmp", "/work/b3/a.bmp"} << QStringLiteral("/");
    QTest::newRow("folder names sharing a prefix")
        << QStringList{"/p/ab/x.bmp", "/p/abc/y.bmp"} << QStringLiteral("/p");
}

void TestShellLogic::commonFolder()
{
    QFETCH(QStringList, paths);
    QFETCH(QString, folder);
    QCOMPARE(QDir::fromNativeSeparators(lumivert::commonFolder(paths)), folder);
}

void TestShellLogic::typedNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one name") << " a b.bmp " << QStringList{"a b.bmp"};
    QTest::newRow("quoted names") << "\"a.bmp\" \"sub/y.jpg\"" << QStringList{"a.bmp", "sub/y.jpg"};
    QTest::newRow("nothing") << "" << QStringList{};
}

void TestShellLogic::typedNames()
{
    QFETCH(QString, text);
    QTEST(lumivert::typedFileNames(text), "names");
}

// The program's own folder (a build) is where the first dialog starts; an installed program's is not.
void TestShellLogic::firstDialogFolder()
{
    QTemporaryDir build;
    QCOMPARE(lumivert::firstDialogFolder(build.path()), QDir::toNativeSeparators(build.path()));
#ifndef Q_OS_WIN // every folder of Wine's drive Z: is the user's own
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString fallback = QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
    QCOMPARE(lumivert::firstDialogFolder(QStringLiteral("/usr/bin")), fallback);
#endif
#ifdef LUMIVERT_QT_ONLY
    QSKIP("Qt alone takes a folder the user may write to for the user's own");
#endif
#ifdef Q_OS_WIN
    QSKIP("another user's folder needs a second account on Windows");
#else
    QTemporaryDir someoneElses;
    if (::chown(QFile::encodeName(someoneElses.path()).constData(), ::geteuid() + 1, ::getegid()) == 0)
        QVERIFY(!lumivert::isUsersOwnFolder(someoneElses.path()));
#endif
}

QTEST_GUILESS_MAIN(TestShellLogic)
#include "tst_shell_logic.moc"
