#include "core/colour/rgb332.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using namespace lumivert;

namespace {

// The reduction written the long way, by band numbers, independent of the masks in the code.
quint8 byteByBands(int r, int g, int b)
{
    return quint8((r / 32) * 32 + (g / 32) * 4 + b / 64);
}

// A row of varied pixels with random (ignored) alpha in the top byte.
std::vector<QRgb> noisyRow(int width, quint32 seed)
{
    QRandomGenerator rng(seed);
    std::vector<QRgb> row(static_cast<size_t>(width));
    for (QRgb &p : row)
        p = rng.generate();
    return row;
}

constexpr uchar Guard = 0xA5;
constexpr QRgb GuardPixel = 0x12345678u;

} // namespace

class TestRgb332 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colourPairs_data();
    void colourPairs();
    void expansionLevels_data();
    void expansionLevels();
    void everyByteSurvivesExpansion();
    void reductionFollowsBands();
    void previewIsExpandedByte();
    void rowKernels_data();
    void rowKernels();
    void previewRowIsStable();
    void rowKernelsOnEveryColour();
    void toRgb32Formats_data();
    void toRgb32Formats();
    void toRgb32FlattensAlphaOverWhite();
};

void TestRgb332::colourPairs_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("byte");
    QTest::addColumn<QColor>("shown");

    QTest::newRow("black") << QColor(0, 0, 0) << 0x00 << QColor(0, 0, 0);
    QTest::newRow("white") << QColor(255, 255, 255) << 0xFF << QColor(255, 255, 255);
    QTest::newRow("red") << QColor(255, 0, 0) << 0xE0 << QColor(255, 0, 0);
    QTest::newRow("green") << QColor(0, 255, 0) << 0x1C << QColor(0, 255, 0);
    QTest::newRow("blue") << QColor(0, 0, 255) << 0x03 << QColor(0, 0, 255);
    QTest::newRow("mid-grey") << QColor(128, 128, 128) << 0x92 << QColor(159, 159, 191);
    QTest::newRow("top of lowest bands") << QColor(31, 31, 63) << 0x00 << QColor(0, 0, 0);
    QTest::newRow("bottom of second bands") << QColor(32, 32, 64) << 0x25 << QColor(63, 63, 127);
    QTest::newRow("band edges") << QColor(223, 224, 191) << 0xDE << QColor(223, 255, 191);
    QTest::newRow("channels kept apart") << QColor(0, 96, 192) << 0x0F << QColor(0, 127, 255);
}

void TestRgb332::colourPairs()
{
    QFETCH(QColor, colour);
    QFETCH(int, byte);
    QFETCH(QColor, shown);

    QCOMPARE(int(reducePixel(colour.rgb())), byte);
    QCOMPARE(QColor(expandByte(quint8(byte))), shown);
    QCOMPARE(QColor(previewPixel(colour.rgb())), shown);
    QCOMPARE(QColor(expansionTable()[size_t(byte)]), shown);
}

void TestRgb332::expansionLevels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("redGreen");
    QTest::addColumn<int>("blue");

    const int redGreen[] = {0, 63, 95, 127, 159, 191, 223, 255};
    const int blue[] = {0, 127, 191, 255};
    for (int level = 0; level < 8; ++level)
        QTest::addRow("level %d", level) << level << redGreen[level] << (level < 4 ? blue[level] : -1);
}

void TestRgb332::expansionLevels()
{
    QFETCH(int, level);
    QFETCH(int, redGreen);
    QFETCH(int, blue);

    const QRgb red = expandByte(quint8(level << 5));
    const QRgb green = expandByte(quint8(level << 2));
    QCOMPARE(red, qRgb(redGreen, 0, 0));
    QCOMPARE(green, qRgb(0, redGreen, 0));
    if (blue >= 0)
        QCOMPARE(expandByte(quint8(level)), qRgb(0, 0, blue));
}

void TestRgb332::everyByteSurvivesExpansion()
{
    for (int b = 0; b < 256; ++b) {
        const QRgb shown = expandByte(quint8(b));
        QCOMPARE(qAlpha(shown), 255);
        QCOMPARE(int(reducePixel(shown)), b);
        QCOMPARE(expansionTable()[size_t(b)], shown);
    }
}

void TestRgb332::reductionFollowsBands()
{
    // Every colour, by channel value: each value of a band gives the band's level.
    for (int v = 0; v < 256; ++v) {
        QCOMPARE(int(reducePixel(qRgb(v, 0, 0))), int(byteByBands(v, 0, 0)));
        QCOMPARE(int(reducePixel(qRgb(0, v, 0))), int(byteByBands(0, v, 0)));
        QCOMPARE(int(reducePixel(qRgb(0, 0, v))), int(byteByBands(0, 0, v)));
    }
    QRandomGenerator rng(332);
    for (int i = 0; i < 100000; ++i) {
        const int r = rng.bounded(256), g = rng.bounded(256), b = rng.bounded(256);
        const QRgb withAlpha = (quint32(rng.bounded(256)) << 24) | (QRgb(r) << 16) | (QRgb(g) << 8) | QRgb(b);
        if (reducePixel(withAlpha) != byteByBands(r, g, b))
            QFAIL(qPrintable(QStringLiteral("(%1, %2, %3)").arg(r).arg(g).arg(b)));
    }
}

void TestRgb332::previewIsExpandedByte()
{
    // All 2^24 colours, each with some alpha that neither result may depend on.
    for (quint32 rgb = 0; rgb < (1u << 24); ++rgb) {
        const QRgb p = (((rgb * 2654435761u) >> 8) & 0xFF000000u) | rgb;
        if (previewPixel(p) != expandByte(reducePixel(p)))
            QFAIL(qPrintable(QStringLiteral("pixel %1").arg(p, 8, 16, QLatin1Char('0'))));
    }
}

void TestRgb332::rowKernels_data()
{
    QTest::addColumn<int>("width");
    // Odd widths and widths around common vector sizes, so a blocked loop's tail is exercised.
    for (int width : {0, 1, 3, 7, 8, 15, 16, 17, 31, 32, 33, 63, 65, 127, 320, 639, 640})
        QTest::addRow("%d", width) << width;
}

void TestRgb332::rowKernels()
{
    QFETCH(int, width);
    const std::vector<QRgb> src = noisyRow(width, quint32(width) + 1);

    std::vector<uchar> reduced(size_t(width) + 1, Guard);
    reduceRow(src.data(), reduced.data(), width);
    for (int x = 0; x < width; ++x)
        QCOMPARE(reduced[size_t(x)], reducePixel(src[size_t(x)]));
    QCOMPARE(reduced[size_t(width)], Guard);

    std::vector<QRgb> pixels = src;
    pixels.push_back(GuardPixel);
    std::vector<uchar> withPreview(size_t(width) + 1, Guard);
    reduceRowWithPreview(pixels.data(), withPreview.data(), width);
    for (int x = 0; x < width; ++x) {
        QCOMPARE(withPreview[size_t(x)], reduced[size_t(x)]);
        QCOMPARE(pixels[size_t(x)], previewPixel(src[size_t(x)]));
    }
    QCOMPARE(withPreview[size_t(width)], Guard);
    QCOMPARE(pixels[size_t(width)], GuardPixel);

    std::vector<QRgb> expanded(size_t(width) + 1, GuardPixel);
    expandRow(reduced.data(), expanded.data(), width);
    for (int x = 0; x < width; ++x)
        QCOMPARE(expanded[size_t(x)], expandByte(reduced[size_t(x)]));
    QCOMPARE(expanded[size_t(width)], GuardPixel);
}

void TestRgb332::previewRowIsStable()
{
    // Converting a converted picture again gives the same bytes and leaves the picture unchanged.
    std::vector<QRgb> pixels = noisyRow(640, 7);
    std::vector<uchar> first(640), second(640);
    reduceRowWithPreview(pixels.data(), first.data(), 640);
    const std::vector<QRgb> preview = pixels;
    reduceRowWithPreview(pixels.data(), second.data(), 640);
    QCOMPARE(second, first);
    QCOMPARE(pixels, preview);
}

void TestRgb332::rowKernelsOnEveryColour()
{
    // The row kernels give the per-pixel results bit for bit, for every colour and any alpha.
    constexpr int RowLength = 4096;
    std::vector<QRgb> src(RowLength), pixels(RowLength);
    std::vector<uchar> reduced(RowLength), withPreview(RowLength);
    for (quint32 start = 0; start < (1u << 24); start += RowLength) {
        for (int x = 0; x < RowLength; ++x) {
            const quint32 rgb = start + quint32(x);
            src[size_t(x)] = (((rgb * 2246822519u) >> 5) & 0xFF000000u) | rgb;
        }
        pixels = src;
        reduceRow(src.data(), reduced.data(), RowLength);
        reduceRowWithPreview(pixels.data(), withPreview.data(), RowLength);
        for (int x = 0; x < RowLength; ++x) {
            const QRgb p = src[size_t(x)];
            if (reduced[size_t(x)] != reducePixel(p) || withPreview[size_t(x)] != reducePixel(p) ||
                pixels[size_t(x)] != previewPixel(p))
                QFAIL(qPrintable(QStringLiteral("pixel %1").arg(p, 8, 16, QLatin1Char('0'))));
        }
    }
}

void TestRgb332::toRgb32Formats_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QList<QRgb>>("expected"); // the first row, left to right

    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 50), qRgb(255, 255, 255)});
    indexed.setPixel(0, 0, 2);
    indexed.setPixel(1, 0, 0);
    indexed.setPixel(2, 0, 1);
    QTest::newRow("indexed") << indexed
                             << QList<QRgb>{qRgb(255, 255, 255), qRgb(10, 20, 30), qRgb(200, 100, 50)};

    QImage grey(3, 1, QImage::Format_Grayscale8);
    grey.scanLine(0)[0] = 0;
    grey.scanLine(0)[1] = 128;
    grey.scanLine(0)[2] = 255;
    QTest::newRow("grey") << grey << QList<QRgb>{qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(255, 255, 255)};

    QImage mono(3, 1, QImage::Format_Mono);
    mono.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    mono.setPixel(0, 0, 1);
    mono.setPixel(1, 0, 0);
    mono.setPixel(2, 0, 1);
    QTest::newRow("mono") << mono << QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)};

    QImage rgb888(2, 1, QImage::Format_RGB888);
    rgb888.setPixel(0, 0, qRgb(1, 2, 3));
    rgb888.setPixel(1, 0, qRgb(250, 128, 64));
    QTest::newRow("rgb888") << rgb888 << QList<QRgb>{qRgb(1, 2, 3), qRgb(250, 128, 64)};
}

void TestRgb332::toRgb32Formats()
{
    QFETCH(QImage, image);
    QFETCH(QList<QRgb>, expected);

    const QImage out = toRgb32(image);
    QCOMPARE(out.format(), QImage::Format_RGB32);
    QCOMPARE(out.size(), image.size());
    const auto *row = reinterpret_cast<const QRgb *>(out.constScanLine(0));
    for (qsizetype x = 0; x < expected.size(); ++x) {
        QCOMPARE(qAlpha(row[x]), 255);
        QCOMPARE(row[x] & 0xFFFFFFu, expected.at(x) & 0xFFFFFFu);
    }
}

void TestRgb332::toRgb32FlattensAlphaOverWhite()
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(10, 20, 30, 255));
    image.setPixel(1, 0, qRgba(10, 20, 30, 0));
    image.setPixel(2, 0, qRgba(255, 0, 0, 128));
    image.setPixel(3, 0, qRgba(0, 0, 0, 64));

    const QImage out = toRgb32(image);
    QCOMPARE(out.format(), QImage::Format_RGB32);
    const auto *row = reinterpret_cast<const QRgb *>(out.constScanLine(0));
    QCOMPARE(row[0], qRgb(10, 20, 30));
    QCOMPARE(row[1], qRgb(255, 255, 255));
    // Half-transparent red over white is a light red; black at a quarter is a light grey.
    QCOMPARE(qRed(row[2]), 255);
    QVERIFY(qAbs(qGreen(row[2]) - 127) <= 1);
    QCOMPARE(qGreen(row[2]), qBlue(row[2]));
    QVERIFY(qAbs(qRed(row[3]) - 191) <= 1);
    QCOMPARE(qAlpha(row[3]), 255);

    // An indexed picture with a transparent palette entry is flattened the same way.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 255)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    const QImage flat = toRgb32(indexed);
    QCOMPARE(flat.pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(flat.pixel(1, 0), qRgb(0, 0, 255));
}

QTEST_GUILESS_MAIN(TestRgb332)
#include "tst_rgb332.moc"
