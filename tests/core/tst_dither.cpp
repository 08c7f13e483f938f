#include "core/colour/dither.h"
#include "core/colour/rgb332.h"
#include "core/formats/scaletofit.h"

#include <QTest>

#include <cmath>

using namespace lumivert;

Q_DECLARE_METATYPE(lumivert::Dither)

namespace {

QImage flat(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray reduce(const QImage &image, Dither method, LightResponse light = {})
{
    QByteArray out(qsizetype(image.width()) * image.height(), '\0');
    ReduceScratch scratch;
    reduceImage(image, reinterpret_cast<uchar *>(out.data()), method, scratch, light);
    return out;
}

// Light of a code value on an sRGB panel, from the standard's formula, 0 to 1.
double srgbLight(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// The average shown colour of the bytes, per channel.
std::array<double, 3> shownMean(const QByteArray &bytes)
{
    std::array<double, 3> sum{};
    for (char b : bytes) {
        const QRgb p = expandByte(quint8(b));
        sum[0] += qRed(p);
        sum[1] += qGreen(p);
        sum[2] += qBlue(p);
    }
    for (double &s : sum)
        s /= double(bytes.size());
    return sum;
}

} // namespace

class TestDither : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noDitherIsTruncation()
    {
        QImage image(37, 11, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y,
                               qRgb((x * 71 + y * 13) & 255, (x * 5 + y * 97) & 255, (x * y * 31) & 255));
        QByteArray expected(image.width() * image.height(), '\0');
        for (int y = 0; y < image.height(); ++y)
            reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                      reinterpret_cast<uchar *>(expected.data()) + y * image.width(), image.width());
        QCOMPARE(reduce(image, Dither::None), expected);
    }

    void nearestShownLevel_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("level");
        QTest::newRow("black") << 0 << 3 << 0;
        QTest::newRow("31 nearer black than 63") << 31 << 3 << 0;
        QTest::newRow("32 nearer 63") << 32 << 3 << 1;
        QTest::newRow("tie 79 goes darker") << 79 << 3 << 1;
        QTest::newRow("80 to 95") << 80 << 3 << 2;
        QTest::newRow("white") << 255 << 3 << 7;
        QTest::newRow("blue 63 nearer black") << 63 << 2 << 0;
        QTest::newRow("blue 64 nearer 127") << 64 << 2 << 1;
        QTest::newRow("blue 160 to 191") << 160 << 2 << 2;
    }
    void nearestShownLevel()
    {
        QFETCH(int, value);
        QFETCH(int, bits);
        QFETCH(int, level);
        // In the red channel for 3 bits, in the blue for 2.
        const auto byte = quint8(
            reduce(flat(QSize(1, 1), bits == 3 ? qRgb(value, 0, 0) : qRgb(0, 0, value)), Dither::Nearest)[0]);
        QCOMPARE(bits == 3 ? byte >> 5 : byte & 3, level);
    }

    // A picture drawn in shown colours is converted back to its own bytes by every method: black stays
    // black and white white, and no noise is added.
    void shownColoursAreKept_data()
    {
        QTest::addColumn<Dither>("method");
        QTest::addColumn<double>("exponent");
        const std::pair<const char *, Dither> methods[] = {{"none", Dither::None},
                                                           {"nearest", Dither::Nearest},
                                                           {"fs", Dither::FloydSteinberg},
                                                           {"ordered", Dither::Ordered}};
        for (const auto &[name, method] : methods) {
            for (double exponent : {0.0, 1.0, 2.2})
                QTest::addRow("%s gamma %.1f", name, exponent) << method << exponent;
        }
    }
    void shownColoursAreKept()
    {
        QFETCH(Dither, method);
        QFETCH(double, exponent);
        for (int byte : {0x00, 0xFF, 0x92, 0x25, 0xE0, 0x1D}) {
            const QByteArray out =
                reduce(flat(QSize(24, 16), expandByte(quint8(byte))), method, LightResponse::power(exponent));
            QCOMPARE(out, QByteArray(out.size(), char(byte)));
        }
        QImage mixed(67, 45, QImage::Format_RGB32);
        QByteArray drawn;
        for (int y = 0; y < mixed.height(); ++y) {
            for (int x = 0; x < mixed.width(); ++x) {
                const auto byte = quint8(x * 7 + y * 45 + x * y);
                mixed.setPixel(x, y, expandByte(byte));
                drawn.append(char(byte));
            }
        }
        QCOMPARE(reduce(mixed, method, LightResponse::power(exponent)), drawn);
    }

    // An area of a colour between shown colours sends out the light of that colour, dark ones included,
    // where truncation shows the top of its band.
    void flatAreasKeepTheirLight_data()
    {
        QTest::addColumn<Dither>("method");
        QTest::addColumn<QRgb>("colour");
        const QRgb colours[] = {qRgb(40, 40, 40),  qRgb(110, 20, 200),  qRgb(250, 130, 90),
                                qRgb(16, 230, 32), qRgb(128, 128, 128), qRgb(5, 5, 5),
                                qRgb(20, 12, 30),  qRgb(60, 0, 90)};
        for (QRgb c : colours) {
            QTest::addRow("fs %06x", c & 0xFFFFFF) << Dither::FloydSteinberg << c;
            QTest::addRow("ordered %06x", c & 0xFFFFFF) << Dither::Ordered << c;
        }
    }
    void flatAreasKeepTheirLight()
    {
        QFETCH(Dither, method);
        QFETCH(QRgb, colour);
        const QByteArray bytes = reduce(flat(QSize(64, 64), colour), method);
        std::array<double, 3> light{};
        for (char b : bytes) {
            const QRgb p = expandByte(quint8(b));
            light[0] += srgbLight(qRed(p));
            light[1] += srgbLight(qGreen(p));
            light[2] += srgbLight(qBlue(p));
        }
        const int want[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
        for (int c = 0; c < 3; ++c) {
            const double mean = light[c] / double(bytes.size());
            QVERIFY2(
                qAbs(mean - srgbLight(want[c])) <= 0.005,
                qPrintable(QStringLiteral("channel %1: %2 for %3").arg(c).arg(mean).arg(srgbLight(want[c]))));
        }
    }

    // With a power of 1 the dithers balance code values, as they did before they worked in light.
    void codeValueDitheringAveragesCodes_data()
    {
        QTest::addColumn<Dither>("method");
        QTest::addColumn<QRgb>("colour");
        const QRgb colours[] = {qRgb(40, 40, 40), qRgb(110, 20, 200), qRgb(250, 130, 90), qRgb(16, 230, 32)};
        for (QRgb c : colours) {
            QTest::addRow("fs %06x", c & 0xFFFFFF) << Dither::FloydSteinberg << c;
            QTest::addRow("ordered %06x", c & 0xFFFFFF) << Dither::Ordered << c;
        }
    }
    void codeValueDitheringAveragesCodes()
    {
        QFETCH(Dither, method);
        QFETCH(QRgb, colour);
        const QImage image = flat(QSize(64, 64), colour);
        const auto mean = shownMean(reduce(image, method, LightResponse::power(1)));
        const int want[3] = {qRed(colour), qGreen(colour), qBlue(colour)};
        for (int c = 0; c < 3; ++c)
            QVERIFY2(qAbs(mean[c] - want[c]) < 2.0,
                     qPrintable(QStringLiteral("channel %1: %2 for %3").arg(c).arg(mean[c]).arg(want[c])));
    }

    // For logos and flat graphics: mid-grey shows as (127, 127, 127), not truncation's lavender.
    void nearestGreyIsGrey()
    {
        QCOMPARE(reduce(flat(QSize(8, 4), qRgb(128, 128, 128)), Dither::Nearest), QByteArray(32, char(0x6D)));
    }

    // The fast error diffusion runs several rows at once; it must give the bytes of the plain one at
    // every size, the picture's edges and a last band of fewer rows included.
    void fastDiffusionMatchesPlain_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("exponent");
        for (QSize size : {QSize(1, 1), QSize(5, 3), QSize(7, 9), QSize(64, 4), QSize(131, 46)}) {
            for (double exponent : {0.0, 1.0, 5.0})
                QTest::addRow("%dx%d gamma %.0f", size.width(), size.height(), exponent) << size << exponent;
        }
    }
    void fastDiffusionMatchesPlain()
    {
        QFETCH(QSize, size);
        QFETCH(double, exponent);
        QImage image(size, QImage::Format_RGB32);
        quint32 state = 12345;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                state = state * 1664525u + 1013904223u;
                // Noise over smooth light, with black and white runs where the error is largest.
                const int base = (x * 255 / std::max(1, size.width() - 1) + (state >> 28)) & 255;
                image.setPixel(x, y,
                               (y % 7 == 3) ? qRgb(0, 0, 0) : qRgb(base, (state >> 8) & 255, 255 - base));
            }
        }
        const LightResponse light = LightResponse::power(exponent);
        QByteArray plain(qsizetype(size.width()) * size.height(), '\0');
        ReduceScratch scratch;
        detail::reduceFloydSteinbergPlain(image, reinterpret_cast<uchar *>(plain.data()), scratch, light);
        QCOMPARE(reduce(image, Dither::FloydSteinberg, light), plain);
    }

    void ditheringIsRepeatable()
    {
        QImage image(50, 30, QImage::Format_RGB32);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x)
                image.setPixel(x, y, qRgb(x * 5, y * 8, (x + y) * 3));
        QCOMPARE(reduce(image, Dither::FloydSteinberg), reduce(image, Dither::FloydSteinberg));
        ReduceScratch shared;
        QByteArray first(1500, '\0');
        QByteArray second(1500, '\0');
        reduceImage(image, reinterpret_cast<uchar *>(first.data()), Dither::FloydSteinberg, shared);
        reduceImage(image, reinterpret_cast<uchar *>(second.data()), Dither::FloydSteinberg, shared);
        QCOMPARE(first, second); // no error left over from the previous picture
    }

    void fittedSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("fits") << QSize(200, 100) << QSize(320, 240) << QSize(200, 100);
        QTest::newRow("exactly") << QSize(640, 480) << QSize(640, 480) << QSize(640, 480);
        QTest::newRow("same aspect") << QSize(1280, 960) << QSize(320, 240) << QSize(320, 240);
        QTest::newRow("wide") << QSize(1920, 1080) << QSize(640, 480) << QSize(640, 360);
        QTest::newRow("tall") << QSize(600, 1200) << QSize(640, 480) << QSize(240, 480);
        QTest::newRow("one dimension over") << QSize(700, 100) << QSize(640, 480) << QSize(640, 91);
        QTest::newRow("thin line keeps a pixel") << QSize(5000, 2) << QSize(320, 240) << QSize(320, 1);
    }
    void fittedSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, box);
        QFETCH(QSize, expected);
        QCOMPARE(lumivert::fittedSize(picture, box), expected);
    }
};

QTEST_GUILESS_MAIN(TestDither)
#include "tst_dither.moc"
