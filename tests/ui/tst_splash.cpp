#include "gui/screeninfo.h"
#include "gui/splashscreen.h"
#include "tests/support/modalscript.h"
#include "tests/testfiles.h"
#include "uitest.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace lumivert;

class TestSplash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { script = std::make_unique<ModalScript>(); }
    void cleanup() { script.reset(); }

    void failingDisplayWarnsAndEnds_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        const QString colour =
            QStringLiteral("カラーパレットをフルカラー（２４ビット以上）に設定して下さい。");
        const QString narrow = QStringLiteral("画面領域をＳＶＧＡ（８００×６００）以上に設定して下さい。");
        QTest::newRow("16-bit") << 16 << 1024 << colour;
        QTest::newRow("16-bit and narrow: colour first") << 16 << 640 << colour;
        QTest::newRow("narrow") << 24 << 640 << narrow;
        QTest::newRow("one pixel short") << 32 << 799 << narrow;
    }
    void failingDisplayWarnsAndEnds()
    {
        QFETCH(int, depth);
        QFETCH(int, width);
        QFETCH(QString, text);
        QPointer<SplashScreen> splash = new SplashScreen(*script, fixedScreen(depth, width));
        QSignalSpy finished(splash.data(), &SplashScreen::finished);
        splash->show();
        splash->checkDisplay();

        QCOMPARE(script->messageTexts(), QStringList{text});
        QCOMPARE(script->messageTitles(), QStringList{QStringLiteral("警告")});
        QCOMPARE(script->endRequests, 1);
        QVERIFY(!splash->findChild<QTimer *>(QStringLiteral("splashTimer"))->isActive());
        QVERIFY(finished.isEmpty());
        delete splash;
    }

    void fourthPassingCheckOpensMainWindow()
    {
        QPointer<SplashScreen> splash = new SplashScreen(*script, fixedScreen(24, 800));
        QSignalSpy finished(splash.data(), &SplashScreen::finished);
        splash->show();
        for (int check = 1; check <= 3; ++check) {
            splash->checkDisplay();
            QVERIFY2(finished.isEmpty(), qPrintable(QString::number(check)));
        }
        splash->checkDisplay();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 800);
        QVERIFY(script->messages.isEmpty());
        QTRY_VERIFY(!splash);
    }

    void clickBeforeFirstCheckSkipsTheChecks()
    {
        QPointer<SplashScreen> splash = new SplashScreen(*script, fixedScreen(16, 640)); // fails both checks
        QSignalSpy finished(splash.data(), &SplashScreen::finished);
        splash->show();
        QTest::mouseClick(splash->findChild<QLabel *>(QStringLiteral("productNameLabel")), Qt::LeftButton);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 0);
        QVERIFY(script->messages.isEmpty());
        QTRY_VERIFY(!splash);
    }

    void clickAfterSecondCheckKeepsMeasuredWidth()
    {
        auto *splash = new SplashScreen(*script, fixedScreen(32, 1280));
        QSignalSpy finished(splash, &SplashScreen::finished);
        splash->show();
        splash->checkDisplay();
        splash->checkDisplay();
        QTest::mouseClick(splash->findChild<QWidget *>(QStringLiteral("innerFrame")), Qt::LeftButton, {},
                          QPoint(300, 200));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), 1280);
    }

    void realTimerOpensMainWindowAfterTwoSeconds()
    {
        if (qEnvironmentVariableIsSet("LUMIVERT_SANITIZED"))
            QSKIP("time windows are measured by the plain build's run");
        QElapsedTimer clock;
        clock.start();
        auto *splash = new SplashScreen(*script, fixedScreen(24, 1024));
        QSignalSpy finished(splash, &SplashScreen::finished);
        splash->show();
        QVERIFY(finished.wait(test::timeBoundsChecked() ? 5000 : 20000));
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    }

    void versionLine()
    {
        SplashScreen splash(*script);
        const auto text = [&splash](const char *name) {
            return splash.findChild<QLabel *>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(text("versionLabel"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 5.1.0"));
        QCOMPARE(text("colourCountLabel"), QStringLiteral("256色"));
        QCOMPARE(text("productNameLabel"), QStringLiteral("Lumivert"));
        QCOMPARE(splash.findChild<QTimer *>(QStringLiteral("splashTimer"))->interval(), 500);
        // The raised border lies outside the client area and the frame inside it, on all four sides.
        QCOMPARE(splash.contentsRect().size(), QSize(375, 222));
        QVERIFY(splash.contentsRect().contains(
            splash.findChild<QWidget *>(QStringLiteral("innerFrame"))->geometry()));
    }

private:
    std::unique_ptr<ModalScript> script;
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
