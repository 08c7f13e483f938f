#pragma once

// Bitmaps made for the loader's tests, each with the picture it must give.

#include <QByteArray>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace lumivert::test {

inline QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

inline QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A 40-byte info header, `rest` (masks inside a longer header, or the palette), then the pixels.
inline QByteArray bitmap(int infoSize, int width, int height, int bits, quint32 compression, quint32 colours,
                         const QByteArray &rest, const QByteArray &pixels)
{
    QByteArray head = le32(infoSize) + le32(width) + le32(height) + le32(1 | bits << 16) + le32(compression) +
                      le32(pixels.size()) + le32(0) + le32(0) + le32(colours) + le32(0) + rest;
    head.resize(qMax(head.size(), qsizetype(infoSize)), '\0');
    return "BM" + le32(14 + head.size() + pixels.size()) + le32(0) + le32(14 + head.size()) + head + pixels;
}

// A 24-bit bitmap with a 40-byte header stating `width` x `height`, followed by `pixels` as given
// (rows padded to four bytes, in the order the sign of the height implies).
inline QByteArray bmp24(qint32 width, qint32 height, const QByteArray &pixels = {})
{
    return bitmap(40, width, height, 24, 0, 0, {}, pixels);
}

// An OS/2 1.x bitmap header (12 bytes, unsigned 16-bit sizes) with no pixels.
inline QByteArray os2Header(quint16 width, quint16 height)
{
    return "BM" + le32(26) + le32(0) + le32(26) + le32(12) + le16(width) + le16(height) + le16(1) + le16(24);
}

// The columns "file" and "picture" (null when the file must be refused), a row for each bitmap.
inline void addMadeBitmapRows()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QImage>("picture");

    // 32-bit bit fields with an alpha mask in a V5 header: the colours as stored, whatever the alpha.
    QImage opaque(2, 1, QImage::Format_RGB32);
    opaque.setPixel(0, 0, qRgb(200, 100, 50));
    opaque.setPixel(1, 0, qRgb(10, 20, 30));
    const QByteArray masks = le32(0xFF0000) + le32(0xFF00) + le32(0xFF) + le32(0xFF000000u);
    for (const quint32 alpha : {0u, 128u})
        QTest::addRow("V5 32-bit, alpha %u", alpha)
            << bitmap(124, 2, 1, 32, 3, 0, masks, le32(0xC86432 | alpha << 24) + le32(0x0A141E | alpha << 24))
            << opaque;

    // Run-length coded 4 x 3 pictures: depth, runs, and the picture as palette indices from the top row,
    // 0 where the runs skip.
    const QRgb palette[4] = {qRgb(10, 20, 30), qRgb(250, 0, 0), qRgb(0, 250, 0), qRgb(0, 0, 250)};
    const QByteArray table = le32(0x0A141E) + le32(0xFA0000) + le32(0xFA00) + le32(0xFA);
    const char *rows[][4] = {
        {"RLE8 with a jump", "8", "0201 00020101 0102 0000 0403 0001", "3333 0002 1100"},
        {"RLE8 with rows ended early", "8", "0101 0000 0402 0000 0003 01020300 0000 0001", "1230 2222 1000"},
        {"RLE8 ended early", "8", "0401 0000 0202 0001", "0000 2200 1111"},
        {"RLE4 with a jump", "4", "0212 00020101 0130 0000 0433 0001", "3333 0003 1200"},
        {"RLE4 with rows ended early", "4", "0110 0000 0422 0000 0003 1230 0000 0001", "1230 2222 1000"},
        {"RLE4 ended early", "4", "0411 0000 0222 0001", "0000 2200 1111"},
        {"RLE8 without an end mark", "8", "0401 0000", ""},
        {"RLE8 index without a colour", "8", "0105 0001", ""},
    };
    for (const auto &row : rows) {
        const int bits = QByteArray(row[1]).toInt();
        const QByteArray indices = QByteArray(row[3]).replace(' ', QByteArray());
        QImage picture = indices.isEmpty() ? QImage() : QImage(4, 3, QImage::Format_RGB32);
        for (int i = 0; i < indices.size(); ++i)
            picture.setPixel(i % 4, i / 4, palette[indices[i] - '0']);
        QTest::newRow(row[0]) << bitmap(40, 4, 3, bits, bits == 8 ? 1 : 2, 4, table,
                                        QByteArray::fromHex(row[2]))
                              << picture;
    }
}

} // namespace lumivert::test
