#include "core/bmpcheck.h"

#include <bit>
#include <limits>

namespace lumivert {

namespace {

// Little-endian fields; a field past the end of the file reads as 0 (callers check lengths first).
quint16 u16(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(b.constData()) + at;
    return quint16(p[0] | p[1] << 8);
}

quint32 u32(const QByteArray &b, qsizetype at)
{
    return quint32(u16(b, at)) | quint32(u16(b, at + 2)) << 16;
}

constexpr quint32 BiRgb = 0;
constexpr quint32 BiRle8 = 1;
constexpr quint32 BiRle4 = 2;
constexpr quint32 BiBitfields = 3;

// Walks run-length coded pixels, checking that every run stays inside the picture, names a colour
// of the palette, and that together they give every pixel a colour: the decoder leaves skipped
// pixels (a jump, a row or a picture ended early) as whatever its memory held.
QString rleProblem(const QByteArray &file, qsizetype offset, int width, int height, int bits, quint32 colours)
{
    const qsizetype length = file.size();
    const auto *data = reinterpret_cast<const uchar *>(file.constData());
    qint64 x = 0;
    qint64 y = 0;
    qsizetype i = offset;
    const auto indexOk = [&](uchar byte) {
        if (bits == 8)
            return byte < colours;
        return (byte >> 4) < colours && (byte & 0x0F) < colours;
    };
    for (;;) {
        if (i + 1 >= length)
            return QStringLiteral("run-length data ends without an end mark");
        const uchar count = data[i];
        const uchar code = data[i + 1];
        i += 2;
        if (count > 0) {
            if (y >= height || x + count > width)
                return QStringLiteral("run-length data runs past the picture");
            if (!indexOk(code))
                return QStringLiteral("palette index out of range");
            x += count;
        } else if (code == 0) {
            if (x != width)
                return QStringLiteral("run-length data leaves pixels undefined");
            x = 0;
            ++y;
        } else if (code == 1) {
            const bool complete = (y == height - 1 && x == width) || (y == height && x == 0);
            return complete ? QString() : QStringLiteral("run-length data leaves pixels undefined");
        } else if (code == 2) {
            return QStringLiteral("run-length data leaves pixels undefined");
        } else {
            if (y >= height || x + code > width)
                return QStringLiteral("run-length data runs past the picture");
            const qsizetype bytes = bits == 8 ? code : (code + 1) / 2;
            if (i + bytes > length)
                return QStringLiteral("run-length data ends without an end mark");
            for (qsizetype k = 0; k < bytes; ++k) {
                if (!indexOk(data[i + k]))
                    return QStringLiteral("palette index out of range");
            }
            x += code;
            i += (bytes + 1) & ~qsizetype(1);
        }
    }
}

QString indexProblem(const QByteArray &file, qsizetype offset, int width, int height, int bits,
                     quint32 colours)
{
    // Only these depths pack whole pixels into a byte, and only they fit the row length checked by
    // the caller; the decoder refuses the others.
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
        return {};
    if (colours >= (1u << bits))
        return {};
    const qsizetype rowBytes = ((qsizetype(width) * bits + 31) / 32) * 4;
    const auto *data = reinterpret_cast<const uchar *>(file.constData()) + offset;
    const int perByte = 8 / bits;
    const uchar mask = uchar((1 << bits) - 1);
    for (int y = 0; y < height; ++y) {
        const uchar *row = data + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            const uchar byte = row[x / perByte];
            const int shift = 8 - bits * (x % perByte + 1);
            if (((byte >> shift) & mask) >= colours)
                return QStringLiteral("palette index out of range");
        }
    }
    return {};
}

bool maskSound(quint32 mask)
{
    // A non-empty run of adjacent bits.
    if (mask == 0)
        return false;
    const quint32 shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

// The old OS/2 header: 16-bit sizes, 3-byte palette entries, always a full palette, no compression.
QString os2Problem(const QByteArray &file, quint32 offset)
{
    const qsizetype length = file.size();
    if (length < 14 + 12)
        return QStringLiteral("file shorter than its headers");
    const int width = u16(file, 18);
    const int height = u16(file, 20);
    const int bits = u16(file, 24);
    if (width == 0 || height == 0)
        return QStringLiteral("invalid picture size");
    if (bits == 1 || bits == 4 || bits == 8) {
        if (14 + 12 + 3 * (qint64(1) << bits) > qint64(offset))
            return QStringLiteral("palette runs into the pixel data");
    }
    if (bits == 0 || bits > 32)
        return {};
    const qsizetype rowBytes = ((qsizetype(width) * bits + 31) / 32) * 4;
    if (qint64(offset) > length || rowBytes > (length - qsizetype(offset)) / height)
        return QStringLiteral("pixel data shorter than the picture");
    return {};
}

} // namespace

QString bmpProblem(const QByteArray &file)
{
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        return {};
    const qsizetype length = file.size();
    if (length < 14 + 16)
        return QStringLiteral("file shorter than its headers");
    const quint32 declaredSize = u32(file, 2);
    if (declaredSize > quint64(length))
        return QStringLiteral("file shorter than its header says");
    const quint32 offset = u32(file, 10);
    const quint32 headerSize = u32(file, 14);
    if (headerSize == 12)
        return os2Problem(file, offset);
    if (headerSize < 40)
        return {}; // other old headers: left to the decoder
    if (length < 14 + qsizetype(headerSize) || offset > quint64(length))
        return QStringLiteral("file shorter than its headers");

    const qint32 width = qint32(u32(file, 18));
    const qint32 rawHeight = qint32(u32(file, 22));
    const int bits = u16(file, 28);
    const quint32 compression = u32(file, 30);
    const quint32 imageSize = u32(file, 34);
    const qint32 densityX = qint32(u32(file, 38));
    const qint32 densityY = qint32(u32(file, 42));
    const quint32 usedColours = u32(file, 46);
    if (width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<qint32>::min())
        return QStringLiteral("invalid picture size");
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    if (imageSize > quint64(length) - offset)
        return QStringLiteral("pixel data shorter than its header says");
    // Beyond a million pixels a metre (25400 dpi) a density is a corrupt field, not a printer.
    constexpr qint32 MaxDensity = 1000000;
    if (densityX < 0 || densityY < 0 || densityX > MaxDensity || densityY > MaxDensity)
        return QStringLiteral("invalid density");

    const quint32 paletteMax = bits <= 8 ? (1u << bits) : 0;
    const quint32 colours = bits <= 8 ? (usedColours ? usedColours : paletteMax) : 0;
    // The decoder reads the whole palette and then the pixels from wherever it stopped, so a
    // palette that runs into the pixel data shifts every row.
    if (colours > 0 && colours <= 256 && 14 + quint64(headerSize) + 4 * quint64(colours) > offset)
        return QStringLiteral("palette runs into the pixel data");

    if (compression == BiRle8 || compression == BiRle4) {
        if (rawHeight < 0)
            return QStringLiteral("run-length data cannot run top-down");
        if ((compression == BiRle8) != (bits == 8) || (compression == BiRle4) != (bits == 4))
            return QStringLiteral("run-length coding does not match the bit depth");
        return rleProblem(file, offset, width, height, bits, colours);
    }

    if (compression == BiRgb || compression == BiBitfields) {
        if (bits == 0 || bits > 32)
            return {}; // left to the decoder
        const qsizetype rowBytes = ((qsizetype(width) * bits + 31) / 32) * 4;
        // Divided rather than multiplied: a header may claim 2^31 x 2^31 pixels of 32 bits, whose
        // byte count overflows a 64-bit integer.
        if (rowBytes > (length - qsizetype(offset)) / height)
            return QStringLiteral("pixel data shorter than the picture");
        if (compression == BiBitfields && (bits == 16 || bits == 32)) {
            const qsizetype masksAt = headerSize >= 52 ? 14 + 40 : 14 + qsizetype(headerSize);
            if (masksAt + 12 > length)
                return QStringLiteral("file shorter than its headers");
            const quint32 red = u32(file, masksAt);
            const quint32 green = u32(file, masksAt + 4);
            const quint32 blue = u32(file, masksAt + 8);
            if (!maskSound(red) || !maskSound(green) || !maskSound(blue) || (red & green) || (red & blue) ||
                (green & blue))
                return QStringLiteral("invalid colour masks");
        }
        if (bits <= 8 && compression == BiRgb)
            return indexProblem(file, offset, width, height, bits, colours);
    }
    return {};
}

} // namespace lumivert
