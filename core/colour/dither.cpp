#include "core/colour/dither.h"

#include "core/colour/rgb332.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lumivert {

namespace {

// Light in fixed point: 0 is black, LightScale white. Twelve bits keep the darkest code values apart
// (sRGB 1 is 1.2 units), and every sum error diffusion makes fits in 16 bits: a carried error is at most
// half the widest gap between two shown levels (under 2048 for any allowed power law), so sixteen
// times it, and a value plus its carried error, stay within a signed 16-bit lane.
constexpr int LightScale = 4095;

// The levels of one channel kind (3 bits for red and green, 2 for blue), seen as light.
struct ChannelLight
{
    // Error diffusion: a value v (in light) shows at least level i when v > midpoint[i - 1], the middle
    // between levels i - 1 and i, rounded down so that a tie goes to the darker level; a channel with
    // fewer levels has 32767 past its last. light[i] is level i's light.
    std::array<qint16, 7> midpoint{};
    std::array<int, 8> light{};
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
    // Error diffusion's light of a code value as one lane of four 16-bit lanes (red, green, blue, none),
    // so that a pixel's three are put together with two ORs: [channel][value].
    std::array<std::array<quint64, 256>, 3> lightLanes{};
    // Per midpoint, for the lanes of two pixels: the midpoint, and past it the light gained, shifted
    // left by 3, plus one level (white's light, 4095 << 3, still fits a lane).
    alignas(16) std::array<std::array<qint16, 8>, 7> midpointLanes{};
    alignas(16) std::array<std::array<qint16, 8>, 7> gainLanes{};
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
        code[level] = shownLevelValue(level, bits);
        shown[level] = toLight[code[level]];
    }
    ch.midpoint.fill(32767);
    for (int level = 0; level <= top; ++level)
        ch.light[level] = shown[level];
    for (int level = 1; level <= top; ++level)
        ch.midpoint[level - 1] = qint16((shown[level - 1] + shown[level]) / 2);
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
    for (int v = 0; v < 256; ++v) {
        for (int c = 0; c < 3; ++c)
            t->lightLanes[c][v] = quint64(t->toLight[v]) << (16 * c);
    }
    for (int i = 0; i < 7; ++i) {
        for (int lane = 0; lane < 8; ++lane) {
            const int c = lane % 4;
            const ChannelLight &ch = c == 2 ? t->blue : t->redGreen;
            const bool real = c < 3 && ch.midpoint[i] != 32767;
            t->midpointLanes[i][lane] = real ? ch.midpoint[i] : qint16(32767);
            t->gainLanes[i][lane] = real ? qint16(((ch.light[i + 1] - ch.light[i]) << 3) + 1) : qint16(0);
        }
    }
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
            if (std::abs(v - shownLevelValue(level, bits)) < std::abs(v - shownLevelValue(best, bits)))
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

// Error diffusion, one row after the other: the portable way, and the reference the vector path below
// matches byte for byte (every sum there fits its 16-bit lane, so the arithmetic is the same).
void diffusePlain(const QImage &image, uchar *out, std::vector<int> &errors, const LightTables &t)
{
    const int width = image.width();
    // The errors of the row above and of this one, three channels a pixel, a spare pixel on each side.
    const std::size_t rowLength = std::size_t(width + 2) * 3;
    errors.assign(rowLength * 2, 0);
    int *above = errors.data();
    int *current = above + rowLength;
    for (int y = 0; y < image.height(); ++y, out += width) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int left[3] = {0, 0, 0};
        for (int x = 0; x < width; ++x) {
            const int code[3] = {qRed(src[x]), qGreen(src[x]), qBlue(src[x])};
            const int *a = above + 3 * x; // pixel x - 1 of the row above
            int level[3];
            for (int c = 0; c < 3; ++c) {
                const ChannelLight &ch = c == 2 ? t.blue : t.redGreen;
                const int carried = a[c] + 5 * a[c + 3] + 3 * a[c + 6] + 7 * left[c];
                const int v = t.toLight[code[c]] + ((carried + 8) >> 4);
                int l = 0;
                while (l < 7 && v > ch.midpoint[l])
                    ++l;
                level[c] = l;
                left[c] = v - ch.light[l];
                current[3 * (x + 1) + c] = left[c];
            }
            out[x] = uchar((level[0] << 5) | (level[1] << 2) | level[2]);
        }
        std::swap(above, current);
    }
}

#if defined(__SSE2__)
constexpr int Pairs = 3;
constexpr int BandRows = 2 * Pairs;
static_assert(BandRows <= 8, "a step's bytes are staged in one 64-bit word");

// BandRows rows at once (six measured fastest), each two pixels behind the one above (all it needs of it), so
// that their chains of dependent steps overlap; two rows share a register, a pixel's three channels side by
// side in 16-bit lanes: [row a: red, green, blue, -; row a + 1: red, green, blue, -]. Errors pass from row to
// row in registers; only the band's last row goes through memory, to the next band. `carry` holds those
// errors, four lanes a pixel, from pixel -2 * BandRows on. The bytes of a step go into one 64-bit word of
// `staged`, a byte per row, and into the rows after the band: a byte store may alias anything, and
// would make the compiler keep the state in memory instead of registers.
void diffuseBand(const QImage &image, uchar *out, int y0, int rows, qint16 *carry, quint64 *staged,
                 const LightTables &t)
{
    constexpr int Lag = 2 * (BandRows - 1); // the band's last row runs this far behind its first
    const int width = image.width();
    const uchar *src[BandRows] = {};
    for (int k = 0; k < rows; ++k)
        src[k] = image.constScanLine(y0 + k);
    const auto carryAt = [&](int x) { return carry + 4 * (x + 2 * BandRows); };
    const auto valid = [&](int k, int x) { return k < rows && x >= 0 && x < width; };
    const auto lightAt = [&](int k, int x, bool edge) -> quint64 {
        if (edge && !valid(k, x))
            return 0;
        const uchar *p = src[k] + 4 * x; // B, G, R, A in memory
        return t.lightLanes[0][p[2]] | t.lightLanes[1][p[1]] | t.lightLanes[2][p[0]];
    };
    const __m128i rounding = _mm_set1_epi16(8);
    const __m128i weights = _mm_setr_epi16(32, 4, 1, 0, 32, 4, 1, 0);

    // Per pair of rows: the errors of the rows above at x - 1, x and x + 1, and the last errors.
    __m128i a0[Pairs] = {}, a1[Pairs] = {}, a2[Pairs] = {}, e[Pairs] = {};
    a2[0] = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(carryAt(0)));

    const auto step = [&](int s, auto edgeTag) {
        constexpr bool edge = decltype(edgeTag)::value;
        // Taken before this step's errors replace the last ones.
        __m128i next[Pairs];
        next[0] =
            _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(carryAt(s + 1))), e[0]);
        for (int p = 1; p < Pairs; ++p)
            next[p] = _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(e[p - 1]), _mm_castsi128_pd(e[p]), 1));
        quint64 word = 0;
        for (int p = 0; p < Pairs; ++p) {
            const int k = 2 * p;
            const int x = s - 2 * k;
            a0[p] = a1[p];
            a1[p] = a2[p];
            a2[p] = next[p];
            const __m128i above =
                _mm_add_epi16(_mm_add_epi16(a0[p], _mm_add_epi16(a1[p], _mm_slli_epi16(a1[p], 2))),
                              _mm_add_epi16(_mm_add_epi16(a2[p], _mm_slli_epi16(a2[p], 1)), rounding));
            const __m128i light =
                _mm_set_epi64x(qint64(lightAt(k + 1, x - 2, edge)), qint64(lightAt(k, x, edge)));
            const __m128i carried = _mm_add_epi16(above, _mm_sub_epi16(_mm_slli_epi16(e[p], 3), e[p]));
            const __m128i v = _mm_add_epi16(light, _mm_srai_epi16(carried, 4));
            // Each midpoint passed adds its gain in light and one level: (gain << 3) + 1, summed as a
            // tree, since this is the chain every next pixel waits on.
            __m128i gained[7];
            for (int i = 0; i < 7; ++i) {
                const __m128i past = _mm_cmpgt_epi16(
                    v, _mm_load_si128(reinterpret_cast<const __m128i *>(t.midpointLanes[i].data())));
                gained[i] = _mm_and_si128(
                    past, _mm_load_si128(reinterpret_cast<const __m128i *>(t.gainLanes[i].data())));
            }
            const __m128i sum = _mm_add_epi16(
                _mm_add_epi16(_mm_add_epi16(gained[0], gained[1]), _mm_add_epi16(gained[2], gained[3])),
                _mm_add_epi16(_mm_add_epi16(gained[4], gained[5]), gained[6]));
            __m128i error = _mm_sub_epi16(v, _mm_srli_epi16(sum, 3));
            // 32 red + 4 green + blue per pixel, in 32-bit lanes 0 and 2.
            __m128i bytes = _mm_madd_epi16(_mm_and_si128(sum, _mm_set1_epi16(7)), weights);
            bytes = _mm_add_epi32(bytes, _mm_srli_epi64(bytes, 32));
            if constexpr (edge) {
                // Pixels outside the picture carry no error: rows start and end as if on black.
                error =
                    _mm_and_si128(error, _mm_set_epi64x(valid(k + 1, x - 2) ? -1 : 0, valid(k, x) ? -1 : 0));
            }
            word |= (quint64(quint32(_mm_cvtsi128_si32(bytes))) | quint64(_mm_extract_epi16(bytes, 4)) << 8)
                    << (16 * p);
            e[p] = error;
        }
        staged[s] = word;
        _mm_storeh_pd(reinterpret_cast<double *>(carryAt(s - Lag)), _mm_castsi128_pd(e[Pairs - 1]));
    };

    const int middleEnd = rows < BandRows ? 0 : width;
    int s = 0;
    for (; s < std::min(Lag, width + Lag); ++s)
        step(s, std::true_type());
    for (; s < middleEnd; ++s)
        step(s, std::false_type());
    for (; s < width + Lag; ++s)
        step(s, std::true_type());
    for (int k = 0; k < rows; ++k) {
        uchar *dst = out + qsizetype(y0 + k) * width;
        for (int x = 0; x < width; ++x)
            dst[x] = uchar(staged[x + 2 * k] >> (8 * k));
    }
}
#endif

void reduceFloydSteinberg(const QImage &image, uchar *out, ReduceScratch &scratch, const LightTables &t)
{
#if defined(__SSE2__)
    // Sixteen-bit errors, four lanes a pixel, with room for the band's stagger on both sides (and eight
    // lanes spare, which the last 64-bit load may read). Then a word a step for the bands' bytes.
    scratch.carry.assign(std::size_t(image.width() + 4 * BandRows) * 4 + 16, 0);
    scratch.staged.assign(std::size_t(image.width() + 2 * BandRows), 0);
    for (int y = 0; y < image.height(); y += BandRows)
        diffuseBand(image, out, y, std::min(BandRows, image.height() - y), scratch.carry.data(),
                    scratch.staged.data(), t);
#else
    diffusePlain(image, out, scratch.errors, t);
#endif
}

} // namespace

namespace detail {
void reduceFloydSteinbergPlain(const QImage &image, uchar *out, ReduceScratch &scratch, LightResponse light)
{
    diffusePlain(image, out, scratch.errors, tablesFor(light, scratch));
}
} // namespace detail

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
        reduceFloydSteinberg(image, out, scratch, tablesFor(light, scratch));
        break;
    case Dither::Ordered:
        reduceOrdered(image, out, tablesFor(light, scratch));
        break;
    }
}

} // namespace lumivert
