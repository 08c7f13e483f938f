#include "core/dither.h"

#include "core/rgb332.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace lumivert {

namespace {

constexpr int shownValue(int level, int bits)
{
    return level == 0 ? 0 : (level + 1) * (1 << (8 - bits)) - 1;
}

// Per channel and per 8-bit value: the nearest shown level, and for ordered dithering the darker of
// the two shown levels around the value with how far (0-64) the value lies towards the lighter one.
struct ChannelTables
{
    std::array<quint8, 256> nearest{};
    std::array<quint8, 256> below{};
    std::array<quint8, 256> towardsAbove{};
    std::array<int, 8> shown{};
};

ChannelTables makeTables(int bits)
{
    ChannelTables t;
    const int top = (1 << bits) - 1;
    for (int level = 0; level <= top; ++level)
        t.shown[level] = shownValue(level, bits);
    for (int v = 0; v < 256; ++v) {
        int best = 0;
        for (int level = 1; level <= top; ++level) {
            if (std::abs(v - t.shown[level]) < std::abs(v - t.shown[best]))
                best = level;
        }
        t.nearest[v] = quint8(best);

        int lower = 0;
        while (lower < top && t.shown[lower + 1] <= v)
            ++lower;
        t.below[v] = quint8(lower);
        if (lower < top) {
            const int span = t.shown[lower + 1] - t.shown[lower];
            t.towardsAbove[v] = quint8(((v - t.shown[lower]) * 64 + span / 2) / span);
        }
    }
    return t;
}

const ChannelTables &tablesFor(int bits)
{
    static const ChannelTables three = makeTables(3);
    static const ChannelTables two = makeTables(2);
    return bits == 3 ? three : two;
}

constexpr std::array<std::array<quint8, 8>, 8> bayer8 = [] {
    std::array<std::array<quint8, 8>, 8> m{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            // Bit-reversed interleave of x ^ y and y gives the recursive Bayer pattern.
            const int a = x ^ y;
            const int v = ((a & 1) << 5) | ((y & 1) << 4) | ((a & 2) << 2) | ((y & 2) << 1) | ((a & 4) >> 1) |
                          ((y & 4) >> 2);
            m[y][x] = quint8(v);
        }
    }
    return m;
}();

void reduceNearest(const QImage &image, uchar *out)
{
    const auto &rg = tablesFor(3);
    const auto &bl = tablesFor(2);
    for (int y = 0; y < image.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = src[x];
            *out++ = uchar((rg.nearest[qRed(p)] << 5) | (rg.nearest[qGreen(p)] << 2) | bl.nearest[qBlue(p)]);
        }
    }
}

void reduceOrdered(const QImage &image, uchar *out)
{
    const auto &rg = tablesFor(3);
    const auto &bl = tablesFor(2);
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const auto &row = bayer8[y & 7];
        for (int x = 0; x < width; ++x) {
            const QRgb p = src[x];
            const int threshold = row[x & 7];
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            const int rl = rg.below[r] + (threshold < rg.towardsAbove[r]);
            const int gl = rg.below[g] + (threshold < rg.towardsAbove[g]);
            const int bll = bl.below[b] + (threshold < bl.towardsAbove[b]);
            *out++ = uchar((rl << 5) | (gl << 2) | bll);
        }
    }
}

void reduceFloydSteinberg(const QImage &image, uchar *out, std::vector<int> &errors)
{
    const auto &rg = tablesFor(3);
    const auto &bl = tablesFor(2);
    const int width = image.width();
    // Two rows of carried error in sixteenths, three channels per pixel, one spare pixel on each side.
    const std::size_t rowLength = std::size_t(width + 2) * 3;
    errors.assign(rowLength * 2, 0);
    int *current = errors.data();
    int *next = current + rowLength;

    for (int y = 0; y < image.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        std::fill(next, next + rowLength, 0);
        for (int x = 0; x < width; ++x) {
            const QRgb p = src[x];
            const int want[3] = {qRed(p), qGreen(p), qBlue(p)};
            int level[3];
            int *here = current + std::size_t(x + 1) * 3;
            int *below = next + std::size_t(x + 1) * 3;
            for (int c = 0; c < 3; ++c) {
                const ChannelTables &t = c == 2 ? bl : rg;
                const int v = std::clamp(want[c] + ((here[c] + 8) >> 4), 0, 255);
                level[c] = t.nearest[v];
                const int e = v - t.shown[level[c]];
                here[c + 3] += 7 * e;
                below[c - 3] += 3 * e;
                below[c] += 5 * e;
                below[c + 3] += e;
            }
            *out++ = uchar((level[0] << 5) | (level[1] << 2) | level[2]);
        }
        std::swap(current, next);
    }
}

} // namespace

int nearestShownLevel(int value, int bits)
{
    return tablesFor(bits).nearest[std::clamp(value, 0, 255)];
}

void reduceImage(const QImage &image, uchar *out, Dither method, ReduceScratch &scratch)
{
    switch (method) {
    case Dither::None:
        for (int y = 0; y < image.height(); ++y)
            reduceRow(reinterpret_cast<const QRgb *>(image.constScanLine(y)),
                      out + qsizetype(y) * image.width(), image.width());
        break;
    case Dither::Nearest:
        reduceNearest(image, out);
        break;
    case Dither::FloydSteinberg:
        reduceFloydSteinberg(image, out, scratch.errors);
        break;
    case Dither::Ordered:
        reduceOrdered(image, out);
        break;
    }
}

} // namespace lumivert
