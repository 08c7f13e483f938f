#include "core/fitting.h"

#include <QTest>

using namespace lumivert;

namespace {

// Picture1 never moves from here.
constexpr int BoxLeft = 8;
constexpr int BoxTop = 32;

} // namespace

class TestFitting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizeLimit_data();
    void sizeLimit();
    void layout_data();
    void layout();
    void roundHalfEven_data();
    void roundHalfEven();
    void withoutLastFour_data();
    void withoutLastFour();
};

void TestFitting::sizeLimit_data()
{
    QTest::addColumn<qint64>("width");
    QTest::addColumn<qint64>("height");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("exactly 640 x 480") << qint64(640) << qint64(480) << true;
    QTest::newRow("1 x 1") << qint64(1) << qint64(1) << true;
    QTest::newRow("641 x 480") << qint64(641) << qint64(480) << false;
    QTest::newRow("640 x 481") << qint64(640) << qint64(481) << false;
    QTest::newRow("1 x 1000") << qint64(1) << qint64(1000) << false;
    QTest::newRow("beyond 32 bits") << (qint64(1) << 33) << qint64(1) << false;
}

void TestFitting::sizeLimit()
{
    QFETCH(qint64, width);
    QFETCH(qint64, height);
    QFETCH(bool, accepted);
    QCOMPARE(withinSizeLimit(width, height), accepted);
}

void TestFitting::layout_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("floorAt80");
    QTest::addColumn<int>("progressTop");
    QTest::addColumn<int>("label1Top");
    QTest::addColumn<int>("labelsLeft");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("label3");

    QTest::newRow("20 high: status floored at 80")
        << 100 << 20 << true << 57 << 80 << 118 << QStringLiteral("X=100") << QStringLiteral("Y=20");
    QTest::newRow("43 high: still 80")
        << 50 << 43 << true << 80 << 80 << 68 << QStringLiteral("X=50") << QStringLiteral("Y=43");
    QTest::newRow("44 high: just below the picture")
        << 50 << 44 << true << 81 << 81 << 68 << QStringLiteral("X=50") << QStringLiteral("Y=44");
    QTest::newRow("320 x 240") << 320 << 240 << true << 277 << 277 << 338 << QStringLiteral("X=320")
                               << QStringLiteral("Y=240");
    QTest::newRow("640 x 480") << 640 << 480 << true << 517 << 517 << 658 << QStringLiteral("X=640")
                               << QStringLiteral("Y=480");
    QTest::newRow("1 x 1") << 1 << 1 << true << 38 << 80 << 19 << QStringLiteral("X=1")
                           << QStringLiteral("Y=1");
    // BIN loading lays out without the floor; its sizes are never that small, but the rule is the sum.
    QTest::newRow("no floor: 20 high")
        << 100 << 20 << false << 57 << 57 << 118 << QStringLiteral("X=100") << QStringLiteral("Y=20");
    QTest::newRow("no floor: 320 x 240")
        << 320 << 240 << false << 277 << 277 << 338 << QStringLiteral("X=320") << QStringLiteral("Y=240");
}

void TestFitting::layout()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, floorAt80);

    const FitLayout fit = fitToPicture(width, height, BoxLeft, BoxTop, floorAt80);
    QTEST(fit.progressTop, "progressTop");
    QTEST(fit.label1Top, "label1Top");
    QTEST(fit.sizeLabelsLeft, "labelsLeft");
    QTEST(fit.label2, "label2");
    QTEST(fit.label3, "label3");
    QCOMPARE(int(fit.labelTop), height + BoxTop + 5);
}

void TestFitting::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");

    QTest::newRow("0.5") << 0.5 << qint64(0);
    QTest::newRow("1.5") << 1.5 << qint64(2);
    QTest::newRow("2.5") << 2.5 << qint64(2);
    QTest::newRow("3.5") << 3.5 << qint64(4);
    QTest::newRow("2.4999") << 2.4999 << qint64(2);
    QTest::newRow("2.5001") << 2.5001 << qint64(3);
    QTest::newRow("whole") << 277.0 << qint64(277);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("-1.5") << -1.5 << qint64(-2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("-2.6") << -2.6 << qint64(-3);
}

void TestFitting::roundHalfEven()
{
    QFETCH(double, value);
    QTEST(lumivert::roundHalfEven(value), "rounded");
}

void TestFitting::withoutLastFour_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("expected");

    QTest::newRow("three-letter extension")
        << QStringLiteral("C:\\a\\pic.JPG") << true << QStringLiteral("C:\\a\\pic");
    QTest::newRow("four-letter extension keeps a dot")
        << QStringLiteral("C:\\a\\pic.jpeg") << true << QStringLiteral("C:\\a\\pic.");
    QTest::newRow("BIN file") << QStringLiteral("/x/a.BIN") << true << QStringLiteral("/x/a");
    QTest::newRow("no extension loses letters")
        << QStringLiteral("/x/photo") << true << QStringLiteral("/x/p");
    QTest::newRow("non-ASCII name") << QStringLiteral("/写真/画像.bmp") << true
                                    << QStringLiteral("/写真/画像");
    QTest::newRow("exactly four") << QStringLiteral("a.js") << true << QString();
    QTest::newRow("shorter than four") << QStringLiteral("a.b") << false << QString();
}

void TestFitting::withoutLastFour()
{
    QFETCH(QString, path);
    QFETCH(bool, cut);
    QFETCH(QString, expected);

    const std::optional<QString> result = lumivert::withoutLastFour(path);
    QCOMPARE(result.has_value(), cut);
    if (cut)
        QCOMPARE(*result, expected);
}

QTEST_GUILESS_MAIN(TestFitting)
#include "tst_fitting.moc"
