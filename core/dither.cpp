#include "core/dither.h"

#include "core/rgb332.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumivert {

namespace {

constexpr int shownValue(int level, int bits)
{
    return level == 0 ? 0 : (level + 1) * (1 << (8 - bits)) - 1;
}

// Light in fixed point: 0 is black, LightScale white. Twelve bits keep the darkest code values apart
// (sRGB 1 is 1.2 units) while a pixel's carried error, sixteen times over, stays far inside 32 bits.
constexpr int LightScale = 4095;
// A carried error moves a value out of [0, LightScale] by at most half the widest gap between two shown
// levels (blue's, about a quarter of full scale): the level table covers twice that, so that no light
// is clamped away, which would brighten dark areas.
constexpr int Margin = 2048;
// Indexed by (light + Margin) / 2: half the resolution keeps both channels' tables (16 KB) in the L1
// cache, and the choice between two levels is off by at most one unit only right at their midpoint.
constexpr int LevelSlots = (LightScale + 2 * Margin) / 2 + 1;

// The levels of one channel kind (3 bits for red and green, 2 for blue), seen as light.
struct ChannelLight
{
    // Per slot the nearest shown level in light and that level's light: (light << 3) | level.
    std::array<quint16, LevelSlots> levelAndLight{};
    // Ordered dithering: a value shows at least level i (1-7) under Bayer threshold t (0-63) when it is
    // above orderedBelow[i][t], a code value. 255 for levels the channel does not have.
    std::array<std::array<quint8, 64>, 8> orderedBelow{};
};

} // namespace

struct LightTables
{
    LightResponse light;
    std::array<int, 256> toLight{};
    ChannelLight redGreen;
    ChannelLight blue;
#if defined(__SSE2__)
    // orderedBelow laid out as four pixels' bytes in memory (B, G, R, A), offset by 0x80 for the signed
    // byte compare: [Bayer row][which half of the 8 columns][level - 1][byte].
    alignas(16) std::array<std::array<std::array<std::array<quint8, 16>, 7>, 2>, 8> orderedLanes{};
#endif
};

namespace {

double lightOf(int value, LightResponse light)
{
    const double c = value / 255.0;
    if (light.exponent > 0)
        return std::pow(c, light.exponent);
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
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

void makeChannel(ChannelLight &ch, int bits, LightResponse light, const std::array<int, 256> &toLight)
{
    const int top = (1 << bits) - 1;
    std::array<int, 8> code{};
    std::array<int, 8> shown{};
    for (int level = 0; level <= top; ++level) {
        code[level] = shownValue(level, bits);
        shown[level] = toLight[code[level]];
    }
    for (int slot = 0; slot < LevelSlots; ++slot) {
        // Past the midpoint between two levels the lighter one is nearer; a tie goes to the darker.
        const int twice = (slot * 2 - Margin) * 2;
        int best = 0;
        while (best < top && twice > shown[best] + shown[best + 1])
            ++best;
        ch.levelAndLight[slot] = quint16((shown[best] << 3) | best);
    }
    for (auto &row : ch.orderedBelow)
        row.fill(255);
    for (int level = 1; level <= top; ++level) {
        const double low = lightOf(code[level - 1], light);
        const double span = lightOf(code[level], light) - low;
        for (int t = 0; t < 64; ++t) {
            // The first value past the threshold placed in light between the two levels; the level's own
            // value always shows the level, so shown colours are kept.
            const double threshold = (t + 0.5) / 64.0;
            int first = code[level - 1] + 1;
            while (first < code[level] && (lightOf(first, light) - low) / span <= threshold)
                ++first;
            ch.orderedBelow[level][t] = quint8(first - 1);
        }
    }
}

std::shared_ptr<const LightTables> makeTables(LightResponse light)
{
    auto t = std::make_shared<LightTables>();
    t->light = light;
    for (int v = 0; v < 256; ++v)
        t->toLight[v] = int(std::lround(lightOf(v, light) * LightScale));
    makeChannel(t->redGreen, 3, light, t->toLight);
    makeChannel(t->blue, 2, light, t->toLight);
#if defined(__SSE2__)
    for (int y = 0; y < 8; ++y) {
        for (int half = 0; half < 2; ++half) {
            for (int level = 1; level <= 7; ++level) {
                auto &lanes = t->orderedLanes[y][half][level - 1];
                for (int pixel = 0; pixel < 4; ++pixel) {
                    const int threshold = bayer8[y][half * 4 + pixel];
                    const quint8 byChannel[4] = {t->blue.orderedBelow[level][threshold],
                                                 t->redGreen.orderedBelow[level][threshold],
                                                 t->redGreen.orderedBelow[level][threshold], 255};
                    for (int c = 0; c < 4; ++c)
                        lanes[pixel * 4 + c] = quint8(byChannel[c] ^ 0x80);
                }
            }
        }
    }
#endif
    return t;
}

const LightTables &tablesFor(LightResponse light, ReduceScratch &scratch)
{
    if (light.exponent <= 0)
        light = LightResponse::srgb();
    if (!scratch.tables || !(scratch.tables->light == light)) {
        static const std::shared_ptr<const LightTables> srgb = makeTables(LightResponse::srgb());
        scratch.tables = light == LightResponse::srgb() ? srgb : makeTables(light);
    }
    return *scratch.tables;
}

// Nearest in code values, for flat graphics, where the colour named is what is meant.
struct CodeTables
{
    std::array<quint8, 256> nearest{};
};

CodeTables makeCodeTables(int bits)
{
    CodeTables t;
    const int top = (1 << bits) - 1;
    for (int v = 0; v < 256; ++v) {
        int best = 0;
        for (int level = 1; level <= top; ++level) {
            if (std::abs(v - shownValue(level, bits)) < std::abs(v - shownValue(best, bits)))
                best = level;
        }
        t.nearest[v] = quint8(best);
    }
    return t;
}

const CodeTables &codeTablesFor(int bits)
{
    static const CodeTables three = makeCodeTables(3);
    static const CodeTables two = makeCodeTables(2);
    return bits == 3 ? three : two;
}

void reduceNearest(const QImage &image, uchar *out)
{
    const auto &rg = codeTablesFor(3);
    const auto &bl = codeTablesFor(2);
    for (int y = 0; y < image.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = src[x];
            *out++ = uchar((rg.nearest[qRed(p)] << 5) | (rg.nearest[qGreen(p)] << 2) | bl.nearest[qBlue(p)]);
        }
    }
}

inline uchar orderedPixel(const LightTables &t, QRgb p, int threshold)
{
    const auto &rg = t.redGreen.orderedBelow;
    const auto &bl = t.blue.orderedBelow;
    const int r = qRed(p), g = qGreen(p), b = qBlue(p);
    int rl = 0, gl = 0, bll = 0;
    for (int level = 1; level <= 7; ++level) {
        rl += r > rg[level][threshold];
        gl += g > rg[level][threshold];
        bll += b > bl[level][threshold];
    }
    return uchar((rl << 5) | (gl << 2) | bll);
}

void reduceOrdered(const QImage &image, uchar *out, const LightTables &t)
{
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y, out += width) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int x = 0;
#if defined(__SSE2__)
        // Sixteen pixels at a time: a channel's level is the number of its thresholds the value is above.
        const auto &rowLanes = t.orderedLanes[y & 7];
        const __m128i sign = _mm_set1_epi8(char(0x80));
        const __m128i blueMask = _mm_set1_epi32(0x03);
        const __m128i greenMask = _mm_set1_epi32(0x1C);
        const __m128i redMask = _mm_set1_epi32(0xE0);
        for (; x + 16 <= width; x += 16) {
            __m128i bytes[4];
            for (int q = 0; q < 4; ++q) {
                const auto &lanes = rowLanes[q & 1];
                const __m128i v =
                    _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + x + 4 * q)), sign);
                __m128i levels = _mm_setzero_si128();
                for (int level = 0; level < 7; ++level) {
                    const __m128i below =
                        _mm_load_si128(reinterpret_cast<const __m128i *>(lanes[level].data()));
                    levels = _mm_sub_epi8(levels, _mm_cmpgt_epi8(v, below));
                }
                // Levels per pixel as bytes B, G, R, 0 of a 32-bit lane, packed into the RGB332 byte.
                bytes[q] = _mm_or_si128(_mm_or_si128(_mm_and_si128(levels, blueMask),
                                                     _mm_and_si128(_mm_srli_epi32(levels, 6), greenMask)),
                                        _mm_and_si128(_mm_srli_epi32(levels, 11), redMask));
            }
            const __m128i packed =
                _mm_packus_epi16(_mm_packs_epi32(bytes[0], bytes[1]), _mm_packs_epi32(bytes[2], bytes[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + x), packed);
        }
#endif
        const auto &row = bayer8[y & 7];
        for (; x < width; ++x)
            out[x] = orderedPixel(t, src[x], row[x & 7]);
    }
}

// One row of error diffusion under way: its pixels, the errors of the row above (one spare pixel on
// each side) and its own, and the error carried to the right.
struct DiffusionRow
{
    const QRgb *src;
    uchar *out;
    const int *above;
    int *errors;
    int left[3];
};

inline void diffusePixel(DiffusionRow &row, int x, const LightTables &t)
{
    const QRgb p = row.src[x];
    const int code[3] = {qRed(p), qGreen(p), qBlue(p)};
    const int *a = row.above + 3 * x; // pixel x - 1 of the row above
    int *e = row.errors + 3 * (x + 1);
    int level[3];
    for (int c = 0; c < 3; ++c) {
        const ChannelLight &ch = c == 2 ? t.blue : t.redGreen;
        const int carried = a[c] + 5 * a[c + 3] + 3 * a[c + 6] + 7 * row.left[c];
        const int v = std::clamp(t.toLight[code[c]] + ((carried + 8) >> 4), -Margin, LightScale + Margin);
        const int entry = ch.levelAndLight[(v + Margin) >> 1];
        level[c] = entry & 7;
        const int error = v - (entry >> 3);
        e[c] = error;
        row.left[c] = error;
    }
    row.out[x] = uchar((level[0] << 5) | (level[1] << 2) | level[2]);
}

// Rows rows at once, each two pixels behind the one above (all it needs of it): their chains of
// dependent steps overlap instead of waiting on each other.
template <int Rows> void diffuseBand(DiffusionRow *rows, int width, const LightTables &t)
{
    constexpr int lag = 2 * (Rows - 1);
    for (int step = 0; step < width + lag; ++step) {
        if (step >= lag && step < width) {
            for (int k = 0; k < Rows; ++k)
                diffusePixel(rows[k], step - 2 * k, t);
        } else {
            for (int k = 0; k < Rows; ++k) {
                const int x = step - 2 * k;
                if (x >= 0 && x < width)
                    diffusePixel(rows[k], x, t);
            }
        }
    }
}

void reduceFloydSteinberg(const QImage &image, uchar *out, std::vector<int> &errors, const LightTables &t)
{
    constexpr int Band = 2;
    const int width = image.width();
    const int height = image.height();
    const std::size_t rowLength = std::size_t(width + 2) * 3;
    errors.assign(rowLength * (Band + 1), 0);
    int *buffers[Band + 1];
    for (int i = 0; i <= Band; ++i)
        buffers[i] = errors.data() + rowLength * std::size_t(i);

    int y = 0;
    auto startRows = [&](DiffusionRow *rows, int count) {
        for (int k = 0; k < count; ++k) {
            rows[k] = DiffusionRow{reinterpret_cast<const QRgb *>(image.constScanLine(y + k)),
                                   out + qsizetype(y + k) * width,
                                   buffers[k],
                                   buffers[k + 1],
                                   {0, 0, 0}};
        }
    };
    for (; y + Band <= height; y += Band) {
        DiffusionRow rows[Band];
        startRows(rows, Band);
        diffuseBand<Band>(rows, width, t);
        std::swap(buffers[0], buffers[Band]);
    }
    for (; y < height; ++y) {
        DiffusionRow rows[1];
        startRows(rows, 1);
        diffuseBand<1>(rows, width, t);
        std::swap(buffers[0], buffers[1]);
    }
}

} // namespace

int nearestShownLevel(int value, int bits)
{
    return codeTablesFor(bits).nearest[std::clamp(value, 0, 255)];
}

void reduceImage(const QImage &image, uchar *out, Dither method, ReduceScratch &scratch, LightResponse light)
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
        reduceFloydSteinberg(image, out, scratch.errors, tablesFor(light, scratch));
        break;
    case Dither::Ordered:
        reduceOrdered(image, out, tablesFor(light, scratch));
        break;
    }
}

} // namespace lumivert
