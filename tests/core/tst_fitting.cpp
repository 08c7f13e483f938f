#include "app/outputnaming.h"
#include "app/windowlayout.h"
#include "core/formats/orientation.h"
#include "core/formats/sizelimit.h"

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
    void orientation_data();
    void orientation();
    void placement_data();
    void placement();
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

Q_DECLARE_METATYPE(lumivert::Rotation)
Q_DECLARE_METATYPE(lumivert::Mirror)
Q_DECLARE_METATYPE(lumivert::FitMode)

// Where the top-left pixel of a 3 x 2 picture lands, as one would turn a print in the hand.
void TestFitting::orientation_data()
{
    QTest::addColumn<Rotation>("rotation");
    QTest::addColumn<Mirror>("mirror");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPoint>("corner");

    QTest::newRow("upright") << Rotation::None << Mirror::None << QSize(3, 2) << QPoint(0, 0);
    QTest::newRow("90 clockwise") << Rotation::Quarter << Mirror::None << QSize(2, 3) << QPoint(1, 0);
    QTest::newRow("180") << Rotation::Half << Mirror::None << QSize(3, 2) << QPoint(2, 1);
    QTest::newRow("270 clockwise") << Rotation::ThreeQuarters << Mirror::None << QSize(2, 3) << QPoint(0, 2);
    QTest::newRow("left-right") << Rotation::None << Mirror::Horizontal << QSize(3, 2) << QPoint(2, 0);
    QTest::newRow("top-bottom") << Rotation::None << Mirror::Vertical << QSize(3, 2) << QPoint(0, 1);
    QTest::newRow("90, then left-right")
        << Rotation::Quarter << Mirror::Horizontal << QSize(2, 3) << QPoint(0, 0);
}

void TestFitting::orientation()
{
    QFETCH(Rotation, rotation);
    QFETCH(Mirror, mirror);
    QFETCH(QSize, size);
    QFETCH(QPoint, corner);
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::black);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    const QImage turned = oriented(picture, rotation, mirror);
    QCOMPARE(turned.size(), size);
    QCOMPARE(turned.pixel(corner), qRgb(255, 0, 0));
}

// The part of a 320 x 240 screen that a white picture covers.
void TestFitting::placement_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<FitMode>("mode");
    QTest::addColumn<bool>("enlarge");
    QTest::addColumn<Rotation>("rotation");
    QTest::addColumn<QRect>("covered");

    QTest::newRow("portrait, whole") << QSize(300, 400) << FitMode::Whole << false << Rotation::None
                                     << QRect(70, 0, 180, 240);
    QTest::newRow("portrait, fill") << QSize(600, 800) << FitMode::Fill << false << Rotation::None
                                    << QRect(0, 0, 320, 240);
    QTest::newRow("fill without enlarging")
        << QSize(300, 400) << FitMode::Fill << false << Rotation::None << QRect(10, 0, 300, 240);
    QTest::newRow("portrait turned, whole")
        << QSize(300, 400) << FitMode::Whole << false << Rotation::Quarter << QRect(0, 0, 320, 240);
    QTest::newRow("small, whole") << QSize(100, 50) << FitMode::Whole << false << Rotation::None
                                  << QRect(110, 95, 100, 50);
    QTest::newRow("small, enlarged") << QSize(100, 50) << FitMode::Whole << true << Rotation::None
                                     << QRect(0, 40, 320, 160);
    QTest::newRow("small, fill without enlarging")
        << QSize(100, 50) << FitMode::Fill << false << Rotation::None << QRect(110, 95, 100, 50);
    QTest::newRow("wide strip, fill")
        << QSize(1000, 100) << FitMode::Fill << false << Rotation::None << QRect(0, 70, 320, 100);
}

void TestFitting::placement()
{
    QFETCH(QSize, picture);
    QFETCH(FitMode, mode);
    QFETCH(bool, enlarge);
    QFETCH(Rotation, rotation);
    QFETCH(QRect, covered);
    QImage white(picture, QImage::Format_RGB32);
    white.fill(Qt::white);
    const QImage screen = placeOnBox(white, picture, QSize(320, 240),
                                     Placement{mode, enlarge, rotation, Mirror::None}, qRgb(0, 0, 0));
    QCOMPARE(screen.size(), QSize(320, 240));
    QRect found;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            if (screen.pixel(x, y) != qRgb(0, 0, 0))
                found |= QRect(x, y, 1, 1);
        }
    }
    QCOMPARE(found, covered);
}

QTEST_GUILESS_MAIN(TestFitting)
#include "tst_fitting.moc"
