#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "core/problem.h"

#include <optional>

namespace lumivert {

// The fields of a Windows or OS/2 bitmap's headers, read once for every check and decoder. A field
// that the info header does not have, or that lies past the end of the file, reads as 0.
struct BmpHeader
{
    quint32 fileSize = 0; // as the file header states it
    quint32 pixelOffset = 0;
    quint32 infoSize = 0; // 12 for the old OS/2 header
    qint64 width = 0;
    qint64 height = 0; // as stored: negative when the rows run from the top
    quint16 planes = 0;
    quint16 bits = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
    qint32 densityX = 0;
    qint32 densityY = 0;
    quint32 usedColours = 0;
    quint32 masks[3] = {}; // red, green and blue, for bit-field pixels

    bool runLength() const { return compression == 1 || compression == 2; }
};

constexpr quint32 Os2InfoSize = 12;

// The bytes of one row of pixels in a bitmap: rows are padded to whole 32-bit words.
constexpr qint64 bmpRowBytes(qint64 width, int bits)
{
    return (width * bits + 31) / 32 * 4;
}

// None when the data does not start like a bitmap.
std::optional<BmpHeader> readBmpHeader(const QByteArray &file);

// The size a header states, when it is a plausible one (one plane, a known depth, positive sizes).
// Qt's reader refuses a header of more than 16384 x 16384 pixels as if the file were damaged; such a
// picture is too large, not unreadable, and this is what says so.
std::optional<QSize> statedSize(const BmpHeader &header);

// Structural faults of a bitmap that decoders tend to paper over: a file shorter than its header
// says, pixel data running past the picture, palette indices without a colour, colour masks that
// make no sense. Returns the first fault found (Damaged), or no problem for a sound file. Run-length data
// is checked as it is decoded (decodeRunLength).
Problem bmpProblem(const QByteArray &file, const BmpHeader &header);

// The same picture as a bitmap with a Windows header of 40 bytes, for a sound file with the old OS/2
// header (whose sizes are unsigned 16-bit numbers and whose palette has 3 bytes a colour).
QByteArray os2AsWindowsBitmap(const QByteArray &file, const BmpHeader &header);

// A device-independent bitmap as Windows' clipboard holds it (its info header, colour masks, palette and
// pixels) with the file header that makes it a bitmap file. Empty when it does not start with a Windows
// info header (40 bytes or more); anything else is left for the decoder to judge.
QByteArray bmpFileFromDib(const QByteArray &dib);

// Run-length coded 4- and 8-bit pixels as 32-bit RGB. Pixels that the data skips (a jump, a row or
// the picture ended early) take the colour of palette entry 0. Runs past the picture, indices
// without a colour and data that stops before its end mark are faults. Nothing larger than
// `maxBytes` of pixels is allocated.
struct RunLengthPicture
{
    QImage image;
    Problem problem; // Damaged, with the fault, when there is no image
};
RunLengthPicture decodeRunLength(const QByteArray &file, const BmpHeader &header, qint64 maxBytes);

// A picture as an uncompressed 24-bit bitmap, rows from the bottom, 96 dpi.
QByteArray encodeBmp24(const QImage &image);

} // namespace lumivert
