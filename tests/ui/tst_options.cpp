#include "gui/application.h"

#include <QDir>
#include <QTest>

using namespace lumivert;

// lumivert's own options, read before the application exists and again from what Qt leaves.
class TestOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void beforeTheDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status"); // -1: goes on
        QTest::newRow("Qt's option with a value") << QStringList{"-platform", "xcb", "a.png"} << -1;
        QTest::newRow("Qt's option holding an h") << QStringList{"-stylesheet", "x.qss"} << -1;
        QTest::newRow("unknown with two dashes") << QStringList{"--bogus"} << 2;
        QTest::newRow("unknown with a value") << QStringList{"a.png", "--bogus=1"} << 2;
        QTest::newRow("after --") << QStringList{"--", "--bogus"} << -1;
    }
    void beforeTheDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QCOMPARE(answerInformationOptions(QStringList{"lumivert"} + args).value_or(-1), status);
    }

    void filesLeftByQt()
    {
        const auto files = filesFromArguments({"lumivert", "a.png", "--", "-b.png"});
        QVERIFY(files);
        QCOMPARE(*files, QStringList({QDir::current().absoluteFilePath("a.png"),
                                      QDir::current().absoluteFilePath("-b.png")}));
        QVERIFY(!filesFromArguments({"lumivert", "-bogus", "a.png"}));
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
