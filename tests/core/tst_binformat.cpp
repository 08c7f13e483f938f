#include "core/formats/binformat.h"

#include <QTest>

#include <algorithm>
#include <vector>

using namespace lumivert;

namespace {

// Every byte value, in an order that differs from row to row.
QByteArray patternBytes(qsizetype length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        bytes[i] = char((i * 7 + i / 320) & 0xFF);
    return bytes;
}

} // namespace

class TestBinFormat : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void geometry_data();
    void geometry();
    void namedAsBin_data();
    void namedAsBin();
    void binToImagePaintsEveryByte_data();
    void binToImagePaintsEveryByte();
    void binToImageRefusesOtherLengths();
    void paintBinReportsEveryRow();
};

void TestBinFormat::geometry_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<QSize>("size"); // invalid when the length has no geometry

    QTest::newRow("76800") << qint64(76800) << QSize(320, 240);
    QTest::newRow("307200") << qint64(307200) << QSize(640, 480);
    QTest::newRow("empty") << qint64(0) << QSize();
    QTest::newRow("1000") << qint64(1000) << QSize();
    QTest::newRow("76799") << qint64(76799) << QSize();
    QTest::newRow("76801") << qint64(76801) << QSize();
    QTest::newRow("307199") << qint64(307199) << QSize();
    QTest::newRow("307201") << qint64(307201) << QSize();
    QTest::newRow("two small files") << qint64(2 * 76800) << QSize();
    QTest::newRow("307200 plus 4 GiB") << qint64(307200) + (qint64(1) << 32) << QSize();
}

void TestBinFormat::geometry()
{
    QFETCH(qint64, length);
    QFETCH(QSize, size);

    const std::optional<QSize> geometry = binGeometry(length);
    QCOMPARE(geometry.has_value(), size.isValid());
    if (geometry)
        QCOMPARE(*geometry, size);
}

void TestBinFormat::namedAsBin_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("bin");
    QTest::newRow("lower case") << "/x/a.bin" << true;
    QTest::newRow("upper case") << "C:\\x\\a.BIN" << true;
    QTest::newRow("no dot") << "cabin" << true;
    QTest::newRow("mixed case") << "a.Bin" << false;
    QTest::newRow("picture") << "a.bin.png" << false;
    QTest::newRow("folder named bin") << "/x/bin/a" << false;
}

void TestBinFormat::namedAsBin()
{
    QFETCH(QString, path);
    QFETCH(bool, bin);
    QCOMPARE(lumivert::namedAsBin(path), bin);
}

void TestBinFormat::binToImagePaintsEveryByte_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("320 x 240") << 320 << 240;
    QTest::newRow("640 x 480") << 640 << 480;
}

void TestBinFormat::binToImagePaintsEveryByte()
{
    QFETCH(int, width);
    QFETCH(int, height);

    const QByteArray bytes = patternBytes(qsizetype(width) * height);
    const QImage image = binToImage(bytes);
    QCOMPARE(image.size(), QSize(width, height));
    QCOMPARE(image.format(), QImage::Format_RGB32);

    // Byte k is the pixel at column k mod W, row k div W; reducing the picture gives the file back.
    std::vector<uchar> row(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto b = quint8(bytes.at(qsizetype(y) * width + x));
            if (pixels[x] != expandByte(b))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2)").arg(x).arg(y)));
        }
        reduceRow(pixels, row.data(), width);
        QVERIFY(std::equal(row.begin(), row.end(), bytes.constData() + qsizetype(y) * width,
                           [](uchar a, char b) { return a == uchar(b); }));
    }
}

void TestBinFormat::binToImageRefusesOtherLengths()
{
    for (qsizetype length : {qsizetype(0), qsizetype(1000), qsizetype(76799), qsizetype(307201)})
        QVERIFY2(binToImage(patternBytes(length)).isNull(), qPrintable(QString::number(length)));
}

void TestBinFormat::paintBinReportsEveryRow()
{
    const QByteArray bytes = patternBytes(76800);
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(Qt::black);
    QList<int> rows;
    paintBin(bytes, image, 320, 240, [&](int y) {
        // The row is painted before it is reported.
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QCOMPARE(pixels[319], expandByte(quint8(bytes.at(qsizetype(y) * 320 + 319))));
        rows << y;
    });
    QCOMPARE(rows.size(), 240);
    QCOMPARE(rows.first(), 0);
    QCOMPARE(rows.last(), 239); // one short of the progress bar's maximum
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows.at(i), i);
}

QTEST_GUILESS_MAIN(TestBinFormat)
#include "tst_binformat.moc"
