#include "core/outputnaming.h"
#include "core/sizelimit.h"
#include "core/windowlayout.h"

#include <QTest>

using namespace lumivert;

namespace {

// The picture box never moves from here.
constexpr QPoint BoxPos(8, 32);

} // namespace

class TestFitting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizeLimit_data();
    void sizeLimit();
    void layout_data();
    void layout();
    void proposedSaveName_data();
    void proposedSaveName();
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
    QTest::addColumn<FitRule>("rule");
    QTest::addColumn<int>("progressTop");
    QTest::addColumn<int>("label1Top");
    QTest::addColumn<int>("labelsLeft");
    QTest::addColumn<QString>("widthText");
    QTest::addColumn<QString>("heightText");

    QTest::newRow("20 high: status floored at 80") << 100 << 20 << FitRule::Picture << 57 << 80 << 118
                                                   << QStringLiteral("X=100") << QStringLiteral("Y=20");
    QTest::newRow("43 high: still 80")
        << 50 << 43 << FitRule::Picture << 80 << 80 << 68 << QStringLiteral("X=50") << QStringLiteral("Y=43");
    QTest::newRow("44 high: just below the picture")
        << 50 << 44 << FitRule::Picture << 81 << 81 << 68 << QStringLiteral("X=50") << QStringLiteral("Y=44");
    QTest::newRow("320 x 240") << 320 << 240 << FitRule::Picture << 277 << 277 << 338
                               << QStringLiteral("X=320") << QStringLiteral("Y=240");
    QTest::newRow("640 x 480") << 640 << 480 << FitRule::Picture << 517 << 517 << 658
                               << QStringLiteral("X=640") << QStringLiteral("Y=480");
    QTest::newRow("1 x 1") << 1 << 1 << FitRule::Picture << 38 << 80 << 19 << QStringLiteral("X=1")
                           << QStringLiteral("Y=1");
    QTest::newRow("pasted: the progress bar stays") << 100 << 20 << FitRule::PastedPicture << -1 << 80 << 118
                                                    << QStringLiteral("X=100") << QStringLiteral("Y=20");
    // BIN loading lays out without the floor; its sizes are never that small, but the rule is the sum.
    QTest::newRow("no floor: 20 high") << 100 << 20 << FitRule::BinFile << 57 << 57 << 118
                                       << QStringLiteral("X=100") << QStringLiteral("Y=20");
    QTest::newRow("no floor: 320 x 240") << 320 << 240 << FitRule::BinFile << 277 << 277 << 338
                                         << QStringLiteral("X=320") << QStringLiteral("Y=240");
}

void TestFitting::layout()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(FitRule, rule);

    const FitLayout fit = fitToPicture(QSize(width, height), BoxPos, rule);
    QTEST(fit.progressTop.value_or(-1), "progressTop");
    QTEST(fit.statusTop, "label1Top");
    QTEST(fit.sizeLabelsLeft, "labelsLeft");
    QTEST(fit.widthText, "widthText");
    QTEST(fit.heightText, "heightText");
}

void TestFitting::proposedSaveName_data()
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

void TestFitting::proposedSaveName()
{
    QFETCH(QString, path);
    QFETCH(bool, cut);
    QFETCH(QString, expected);

    const std::optional<QString> result = lumivert::proposedSaveName(path);
    QCOMPARE(result.has_value(), cut);
    if (cut)
        QCOMPARE(*result, expected);
}

QTEST_GUILESS_MAIN(TestFitting)
#include "tst_fitting.moc"
