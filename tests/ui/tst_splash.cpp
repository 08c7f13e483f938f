#include "gui/Form1.h"
#include "gui/screeninfo.h"
#include "gui/frmSplash.h"
#include "gui/globals.h"
#include "gui/modal.h"
#include "core/splashlogic.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QTest>

namespace {

Form1 *mainWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *form = qobject_cast<Form1 *>(w); form && form->isVisible())
            return form;
    }
    return nullptr;
}

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Module1::reset();
        script = std::make_unique<ModalScript>();
    }
    void cleanup()
    {
        QList<QPointer<QWidget>> windows;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<Form1 *>(w) || qobject_cast<frmSplash *>(w))
                windows << w;
        }
        qDeleteAll(windows);
        script.reset();
        ScreenInfo::clearOverride();
    }

    void failingDisplayWarnsAndEnds_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::newRow("16-bit") << 16 << 1024 << lumivert::ColourWarningText;
        QTest::newRow("16-bit and narrow: colour first") << 16 << 640 << lumivert::ColourWarningText;
        QTest::newRow("narrow") << 24 << 640 << lumivert::WidthWarningText;
        QTest::newRow("one pixel short") << 32 << 799 << lumivert::WidthWarningText;
    }
    void failingDisplayWarnsAndEnds()
    {
        QFETCH(int, depth);
        QFETCH(int, width);
        QFETCH(QString, text);
        ScreenInfo::setOverride(depth, width);
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        splash->Timer1_Timer();

        QCOMPARE(script->messages.size(), 1);
        QCOMPARE(script->messages.first().text, text);
        QCOMPARE(script->messages.first().title, QStringLiteral("警告"));
        QCOMPARE(script->endRequests, 1);
        QVERIFY(!splash->Timer1.isActive());
        QCOMPARE(Module1::HorzRes, qint16(width));
        QVERIFY(!mainWindow());
    }

    void fourthPassingTickOpensMainWindow()
    {
        ScreenInfo::setOverride(24, 800);
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QCOMPARE(splash->SplashTicks, qint16(1));
        for (int tick = 1; tick <= 3; ++tick) {
            splash->Timer1_Timer();
            QVERIFY2(!mainWindow(), qPrintable(QString::number(tick)));
        }
        splash->Timer1_Timer();
        QVERIFY(mainWindow());
        QVERIFY(script->messages.isEmpty());
        QCOMPARE(Module1::HorzRes, qint16(800));
        QTRY_VERIFY(!splash);
    }

    void clickBeforeFirstTickSkipsTheChecks()
    {
        ScreenInfo::setOverride(16, 640); // would fail both checks
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QTest::mouseClick(splash->lblProductName, Qt::LeftButton);
        QVERIFY(mainWindow());
        QCOMPARE(Module1::HorzRes, qint16(0));
        QVERIFY(script->messages.isEmpty());
        QCOMPARE(mainWindow()->size(), QSize(800, 600));
    }

    void clickAfterSecondTickKeepsMeasuredWidth()
    {
        ScreenInfo::setOverride(32, 1280);
        auto *splash = new frmSplash;
        splash->show();
        splash->Timer1_Timer();
        splash->Timer1_Timer();
        QTest::mouseClick(splash->Frame1, Qt::LeftButton, {}, QPoint(300, 200));
        QVERIFY(mainWindow());
        QCOMPARE(Module1::HorzRes, qint16(1280));
    }

    void realTimerOpensMainWindowAfterTwoSeconds()
    {
        ScreenInfo::setOverride(24, 1024);
        QElapsedTimer clock;
        clock.start();
        auto *splash = new frmSplash;
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(mainWindow(), 5000);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    }

    void versionLine()
    {
        frmSplash splash;
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 5.1.0"));
        QCOMPARE(splash.Label2->text(), QStringLiteral("256色"));
        QCOMPARE(splash.lblProductName->text(), QStringLiteral("Lumivert"));
        QCOMPARE(splash.Timer1.interval(), 500);
    }

private:
    std::unique_ptr<ModalScript> script;
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
