#include "core/formats/bmpfile.h"

#include "core/colour/rgb332.h"
#include "core/formats/sizelimit.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <limits>

namespace lumivert {

namespace {

void putLe16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void putLe32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

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

constexpr qsizetype FileHeaderSize = 14;

constexpr quint32 BiRgb = 0;
constexpr quint32 BiRle8 = 1;
constexpr quint32 BiRle4 = 2;
constexpr quint32 BiBitfields = 3;

// Bit-field masks sit inside an info header of 52 bytes or more, else right after it.
qsizetype masksAt(quint32 infoSize)
{
    return infoSize >= 52 ? FileHeaderSize + 40 : FileHeaderSize + qsizetype(infoSize);
}

// The palette's length: the used-colours field, or as many colours as the depth can index.
Problem damage(const char *how)
{
    return Problem(Problem::Cause::Damaged, QString::fromLatin1(how));
}

quint32 paletteColours(const BmpHeader &header)
{
    if (header.bits > 8)
        return 0;
    return header.usedColours ? header.usedColours : 1u << header.bits;
}

Problem indexProblem(const QByteArray &file, qsizetype offset, int width, int height, int bits,
                     quint32 colours)
{
    // Only these depths pack whole pixels into a byte, and only they fit the row length checked by
    // the caller; the decoder refuses the others.
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
        return {};
    if (colours >= (1u << bits))
        return {};
    const qsizetype rowBytes = bmpRowBytes(width, bits);
    const auto *data = reinterpret_cast<const uchar *>(file.constData()) + offset;
    const int perByte = 8 / bits;
    const uchar mask = uchar((1 << bits) - 1);
    for (int y = 0; y < height; ++y) {
        const uchar *row = data + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            const uchar byte = row[x / perByte];
            const int shift = 8 - bits * (x % perByte + 1);
            if (((byte >> shift) & mask) >= colours)
                return damage("palette index out of range");
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
Problem os2Problem(qsizetype length, const BmpHeader &header)
{
    if (length < FileHeaderSize + 12)
        return damage("file shorter than its headers");
    const qint64 offset = header.pixelOffset;
    const int bits = header.bits;
    if (header.width == 0 || header.height == 0)
        return damage("invalid picture size");
    if (offset < FileHeaderSize + 12)
        return damage("pixel data overlaps the headers");
    if (bits == 1 || bits == 4 || bits == 8) {
        if (FileHeaderSize + 12 + 3 * (qint64(1) << bits) > offset)
            return damage("palette runs into the pixel data");
    }
    if (bits == 0 || bits > 32)
        return {};
    const qsizetype rowBytes = bmpRowBytes(header.width, bits);
    if (offset > length || rowBytes > (length - offset) / header.height)
        return damage("pixel data shorter than the picture");
    return {};
}

RunLengthPicture runLengthFault(const char *text)
{
    return {QImage(), damage(text)};
}

qsizetype runLengthPaletteAt(const BmpHeader &h)
{
    return FileHeaderSize + qsizetype(h.infoSize);
}

// The palette entries a run-length picture reads: no more than its depth can index.
int runLengthPaletteEntries(const BmpHeader &h)
{
    return int(std::min<quint32>(paletteColours(h), 1u << h.bits));
}

// The first fault of a run-length header, found before anything is allocated; none for a header
// worth decoding.
std::optional<RunLengthPicture> runLengthHeaderFault(const BmpHeader &h, qsizetype length, qint64 maxBytes)
{
    if (h.height < 0)
        return runLengthFault("run-length data cannot run top-down");
    if ((h.compression == BiRle8) != (h.bits == 8) || (h.compression == BiRle4) != (h.bits == 4))
        return runLengthFault("run-length coding does not match the bit depth");
    if (h.width <= 0 || h.height == 0)
        return runLengthFault("invalid picture size");
    if (h.planes != 1)
        return runLengthFault("invalid number of planes");
    if (h.width * h.height > maxBytes / 4)
        return runLengthFault("picture too large to decode");
    if (h.pixelOffset > quint64(length))
        return runLengthFault("file shorter than its headers");
    if (runLengthPaletteAt(h) + 4 * qsizetype(runLengthPaletteEntries(h)) > qsizetype(h.pixelOffset))
        return runLengthFault("palette runs into the pixel data");
    return std::nullopt;
}

struct RunLengthPalette
{
    QRgb rgb[256] = {};
    quint32 colours = 0; // indices from here on have no colour

    bool colour(int index, QRgb *to) const
    {
        if (quint32(index) >= colours)
            return false;
        *to = rgb[index];
        return true;
    }
};

// The header check has made sure that the palette lies inside the file.
RunLengthPalette readRunLengthPalette(const QByteArray &file, const BmpHeader &h)
{
    RunLengthPalette palette;
    palette.colours = paletteColours(h);
    const auto *entry = reinterpret_cast<const uchar *>(file.constData()) + runLengthPaletteAt(h);
    const int entries = runLengthPaletteEntries(h);
    for (int k = 0; k < entries; ++k, entry += 4)
        palette.rgb[k] = qRgb(entry[2], entry[1], entry[0]);
    return palette;
}

// Walks the codes from the start of the pixel data into `image`. Each kind of code has its method,
// which returns the fault it finds, if any.
struct RunLengthDecoder
{
    const uchar *data;
    qsizetype length;
    const RunLengthPalette &palette;
    bool four; // two indices a byte
    QImage &image;
    qsizetype at; // the next code
    int x = 0;
    int y = 0; // from the bottom row up

    // None once the end mark is reached.
    std::optional<RunLengthPicture> decode()
    {
        for (;;) {
            if (at + 1 >= length)
                return runLengthFault("run-length data ends without an end mark");
            const int count = data[at];
            const int code = data[at + 1];
            at += 2;
            std::optional<RunLengthPicture> fault;
            if (count > 0) // a run of one index, or of two alternating ones
                fault = run(count, code);
            else if (code == 0) // end of the row
                endRow();
            else if (code == 1) // end of the picture
                return std::nullopt;
            else if (code == 2) // a jump right and up
                fault = jump();
            else
                fault = literal(code);
            if (fault)
                return fault;
        }
    }

    std::optional<RunLengthPicture> run(int count, int code)
    {
        if (!rowHolds(count))
            return runLengthFault("run-length data runs past the picture");
        QRgb pair[2];
        if (!palette.colour(four ? code >> 4 : code, &pair[0]) ||
            !(count == 1 || palette.colour(four ? code & 0x0F : code, &pair[1])))
            return runLengthFault("palette index out of range");
        QRgb *row = pixels();
        for (int k = 0; k < count; ++k)
            row[k] = pair[k % 2];
        x += count;
        return std::nullopt;
    }

    void endRow()
    {
        x = 0;
        ++y;
    }

    std::optional<RunLengthPicture> jump()
    {
        if (at + 1 >= length)
            return runLengthFault("run-length data ends without an end mark");
        x += data[at];
        y += data[at + 1];
        at += 2;
        if (x > image.width() || y > image.height())
            return runLengthFault("run-length data runs past the picture");
        return std::nullopt;
    }

    // `count` indices as they are, padded to a whole 16-bit word.
    std::optional<RunLengthPicture> literal(int count)
    {
        const qsizetype bytes = four ? (count + 1) / 2 : count;
        if (!rowHolds(count))
            return runLengthFault("run-length data runs past the picture");
        if (at + bytes > length)
            return runLengthFault("run-length data ends without an end mark");
        QRgb *row = pixels();
        for (int k = 0; k < count; ++k) {
            const uchar byte = data[at + (four ? k / 2 : k)];
            if (!palette.colour(four ? (k % 2 ? byte & 0x0F : byte >> 4) : byte, &row[k]))
                return runLengthFault("palette index out of range");
        }
        x += count;
        at += (bytes + 1) & ~qsizetype(1);
        return std::nullopt;
    }

    bool rowHolds(int count) const { return y < image.height() && x + count <= image.width(); }
    QRgb *pixels() { return reinterpret_cast<QRgb *>(image.scanLine(image.height() - 1 - y)) + x; }
};

} // namespace

std::optional<BmpHeader> readBmpHeader(const QByteArray &file)
{
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    BmpHeader h;
    h.fileSize = u32(file, 2);
    h.pixelOffset = u32(file, 10);
    h.infoSize = u32(file, 14);
    if (h.infoSize == Os2InfoSize) { // OS/2 1.x: unsigned 16-bit sizes
        h.width = u16(file, 18);
        h.height = u16(file, 20);
        h.planes = u16(file, 22);
        h.bits = u16(file, 24);
        return h;
    }
    if (h.infoSize < 16)
        return h;
    h.width = qint32(u32(file, 18));
    h.height = qint32(u32(file, 22));
    h.planes = u16(file, 26);
    h.bits = u16(file, 28);
    // The shorter OS/2 2.x headers end part way through these.
    const auto has = [&h](qsizetype at) { return at + 4 <= FileHeaderSize + qsizetype(h.infoSize); };
    if (has(30))
        h.compression = u32(file, 30);
    if (has(34))
        h.imageSize = u32(file, 34);
    if (has(38))
        h.densityX = qint32(u32(file, 38));
    if (has(42))
        h.densityY = qint32(u32(file, 42));
    if (has(46))
        h.usedColours = u32(file, 46);
    if (h.compression == BiBitfields) {
        for (int i = 0; i < 3; ++i)
            h.masks[i] = u32(file, masksAt(h.infoSize) + 4 * i);
    }
    return h;
}

std::optional<QSize> statedSize(const BmpHeader &header)
{
    static constexpr quint16 knownBits[] = {1, 2, 4, 8, 16, 24, 32, 64};
    const qint64 height = header.height < 0 ? -header.height : header.height;
    // A height of -2^31 states no size that a picture could have.
    if (header.planes != 1 || header.width <= 0 || height <= 0 || height > std::numeric_limits<int>::max() ||
        std::find(std::begin(knownBits), std::end(knownBits), header.bits) == std::end(knownBits))
        return std::nullopt;
    return QSize(clampToInt(header.width), clampToInt(height));
}

Problem bmpProblem(const QByteArray &file, const BmpHeader &h)
{
    const qsizetype length = file.size();
    if (length < FileHeaderSize + 16)
        return damage("file shorter than its headers");
    if (h.fileSize > quint64(length))
        return damage("file shorter than its header says");
    const quint32 offset = h.pixelOffset;
    if (h.infoSize == Os2InfoSize)
        return os2Problem(length, h);
    if (h.infoSize < 40)
        return {}; // other old headers: left to the decoder
    if (length < FileHeaderSize + qsizetype(h.infoSize) || offset > quint64(length))
        return damage("file shorter than its headers");
    // The decoder would read the headers as pixels.
    const quint64 headersEnd = h.compression == BiBitfields ? quint64(masksAt(h.infoSize)) + 12
                                                            : FileHeaderSize + quint64(h.infoSize);
    if (offset < headersEnd)
        return damage("pixel data overlaps the headers");

    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<qint32>::min())
        return damage("invalid picture size");
    const int width = int(h.width);
    const int height = int(h.height < 0 ? -h.height : h.height);
    if (h.imageSize > quint64(length) - offset)
        return damage("pixel data shorter than its header says");
    // Beyond a million pixels a metre (25400 dpi) a density is a corrupt field, not a printer.
    constexpr qint32 MaxDensity = 1000000;
    if (h.densityX < 0 || h.densityY < 0 || h.densityX > MaxDensity || h.densityY > MaxDensity)
        return damage("invalid density");

    const quint32 colours = paletteColours(h);
    // The decoder reads the whole palette and then the pixels from wherever it stopped, so a
    // palette that runs into the pixel data shifts every row.
    if (colours > 0 && colours <= 256 && FileHeaderSize + quint64(h.infoSize) + 4 * quint64(colours) > offset)
        return damage("palette runs into the pixel data");

    if (h.compression == BiRgb || h.compression == BiBitfields) {
        if (h.bits == 0 || h.bits > 32)
            return {}; // left to the decoder
        const qsizetype rowBytes = bmpRowBytes(width, h.bits);
        // Divided rather than multiplied: a header may claim 2^31 x 2^31 pixels of 32 bits, whose
        // byte count overflows a 64-bit integer.
        if (rowBytes > (length - qsizetype(offset)) / height)
            return damage("pixel data shorter than the picture");
        if (h.compression == BiBitfields && (h.bits == 16 || h.bits == 32)) {
            if (masksAt(h.infoSize) + 12 > length)
                return damage("file shorter than its headers");
            const auto [red, green, blue] = h.masks;
            if (!maskSound(red) || !maskSound(green) || !maskSound(blue) || (red & green) || (red & blue) ||
                (green & blue))
                return damage("invalid colour masks");
        }
        if (h.bits <= 8 && h.compression == BiRgb)
            return indexProblem(file, offset, width, height, h.bits, colours);
    }
    return {};
}

QByteArray os2AsWindowsBitmap(const QByteArray &file, const BmpHeader &h)
{
    const quint32 colours = h.bits <= 8 ? 1u << h.bits : 0;
    constexpr quint32 HeadersSize = FileHeaderSize + 40;
    const quint32 offset = HeadersSize + 4 * colours;
    QByteArray out(offset, '\0');
    out[0] = 'B';
    out[1] = 'M';
    const QByteArray pixels = file.mid(h.pixelOffset);
    putLe32(out.data() + 2, quint32(offset + pixels.size()));
    putLe32(out.data() + 10, offset);
    putLe32(out.data() + 14, 40);
    putLe32(out.data() + 18, quint32(h.width));
    putLe32(out.data() + 22, quint32(h.height)); // at most 65535, stored positive: from the bottom row up
    putLe16(out.data() + 26, h.planes);
    putLe16(out.data() + 28, h.bits);
    const qsizetype paletteAt = FileHeaderSize + Os2InfoSize;
    for (quint32 k = 0; k < colours; ++k) {
        for (int c = 0; c < 3; ++c)
            out[int(HeadersSize + 4 * k) + c] = file.at(paletteAt + 3 * k + c);
    }
    return out + pixels;
}

QByteArray bmpFileFromDib(const QByteArray &dib)
{
    constexpr quint32 WindowsInfoSize = 40;
    constexpr quint32 BiAlphaBitfields = 6;
    const quint32 infoSize = u32(dib, 0);
    if (infoSize < WindowsInfoSize || infoSize > quint32(dib.size()))
        return {};
    const quint16 bits = u16(dib, 14);
    const quint32 compression = u32(dib, 16);
    const quint32 usedColours = u32(dib, 32);
    // The masks follow the shortest header; longer ones hold them. A palette follows: the colours the
    // header says are used, else as many as the depth can index.
    qint64 masks = 0;
    if (infoSize == WindowsInfoSize && compression == BiBitfields)
        masks = 3;
    else if (infoSize == WindowsInfoSize && compression == BiAlphaBitfields)
        masks = 4;
    const qint64 colours = usedColours ? usedColours : bits <= 8 ? qint64(1) << bits : 0;
    constexpr qint64 Largest = std::numeric_limits<quint32>::max();
    QByteArray file(FileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    putLe32(file.data() + 2, quint32(std::min(FileHeaderSize + qint64(dib.size()), Largest)));
    putLe32(file.data() + 10, quint32(std::min(FileHeaderSize + infoSize + 4 * (masks + colours), Largest)));
    return file + dib;
}

RunLengthPicture decodeRunLength(const QByteArray &file, const BmpHeader &h, qint64 maxBytes)
{
    if (const auto fault = runLengthHeaderFault(h, file.size(), maxBytes))
        return *fault;
    const RunLengthPalette palette = readRunLengthPalette(file, h);
    QImage image(int(h.width), int(h.height), QImage::Format_RGB32);
    if (image.isNull())
        return runLengthFault("picture too large to decode");
    // Qt's decoder leaves skipped pixels as whatever its memory held; here they have one colour, so the
    // same file always gives the same picture.
    image.fill(palette.rgb[0]);

    RunLengthDecoder decoder{reinterpret_cast<const uchar *>(file.constData()),
                             file.size(),
                             palette,
                             h.bits == 4,
                             image,
                             h.pixelOffset};
    if (const auto fault = decoder.decode())
        return *fault;
    return {image, {}};
}

QByteArray encodeBmp24(const QImage &source)
{
    const QImage image = toRgb32(source);
    const int width = image.width();
    const int height = image.height();
    const qsizetype rowBytes = bmpRowBytes(width, 24);
    const qsizetype pixelBytes = rowBytes * height;
    constexpr int headerBytes = 14 + 40;

    QByteArray out(headerBytes + pixelBytes, '\0');
    char *p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    putLe32(p + 2, quint32(out.size()));
    putLe32(p + 10, headerBytes);
    putLe32(p + 14, 40);
    putLe32(p + 18, quint32(width));
    putLe32(p + 22, quint32(height)); // bottom-up
    putLe16(p + 26, 1);
    putLe16(p + 28, 24);
    putLe32(p + 30, 0); // BI_RGB, uncompressed
    putLe32(p + 34, quint32(pixelBytes));
    putLe32(p + 38, 3780); // 96 dpi
    putLe32(p + 42, 3780);

    auto *dst = reinterpret_cast<uchar *>(p + headerBytes);
    for (int y = 0; y < height; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(height - 1 - y));
        uchar *row = dst + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uchar(qBlue(src[x]));
            row[3 * x + 1] = uchar(qGreen(src[x]));
            row[3 * x + 2] = uchar(qRed(src[x]));
        }
    }
    return out;
}

} // namespace lumivert
