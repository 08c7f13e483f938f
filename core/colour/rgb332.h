#pragma once

#include <QImage>
#include <QRgb>

#include <array>

namespace lumivert {

// One RGB332 byte: red level in bits 7-5, green in 4-2, blue in 1-0.
constexpr quint8 reducePixel(QRgb p)
{
    return quint8(((p >> 16) & 0xE0) | ((p >> 11) & 0x1C) | ((p >> 6) & 0x03));
}

// How the display shows a level of a channel of `bits` bits (3 for red and green, 2 for blue): a
// non-zero level is the top of its band, level 0 is black.
constexpr int shownLevelValue(int level, int bits)
{
    return level == 0 ? 0 : (level + 1) * (1 << (8 - bits)) - 1;
}

// How the display shows a byte.
constexpr QRgb expandByte(quint8 b)
{
    return qRgb(shownLevelValue(b >> 5, 3), shownLevelValue((b >> 2) & 7, 3), shownLevelValue(b & 3, 2));
}

// The shown colour of a pixel after reduction, computed without going through the byte.
constexpr QRgb previewPixel(QRgb p)
{
    const quint32 r = p & 0x00E00000u;
    const quint32 g = p & 0x0000E000u;
    const quint32 b = p & 0x000000C0u;
    return 0xFF000000u | r | (r ? 0x001F0000u : 0u) | g | (g ? 0x00001F00u : 0u) | b | (b ? 0x3Fu : 0u);
}

const std::array<QRgb, 256> &expansionTable();

// Row kernels over 32-bit pixels (QImage::Format_RGB32 or ARGB32 scan lines).
void reduceRow(const QRgb *src, uchar *out, int width);
// Reduces a row and paints each pixel in its shown colour, in place.
void reduceRowWithPreview(QRgb *pixels, uchar *out, int width);
void expandRow(const uchar *in, QRgb *out, int width);

// Any decoded picture (indexed, 1-bit, grey, CMYK, with alpha) as opaque 32-bit RGB, converted once.
QImage toRgb32(const QImage &image);

} // namespace lumivert
