#pragma once

#include <QImage>

#include <memory>
#include <vector>

namespace lumivert {

// How a picture is reduced to RGB332. None is the display's own truncation and the default everywhere.
enum class Dither { None, Nearest, FloydSteinberg, Ordered };

// How the panel turns a code value into light, which the two dithers balance: the sRGB curve (the
// default, what LCD panels follow closely) or a pure power law, light = (value / 255) ^ exponent. An
// exponent of 1 dithers code values as if they were light.
struct LightResponse
{
    double exponent = 0; // 0: the sRGB curve

    static LightResponse srgb() { return {}; }
    static LightResponse power(double exponent) { return {exponent}; }
    bool operator==(const LightResponse &) const = default;
};

struct LightTables;

// What one reduction keeps between calls, so a caller converting many pictures allocates once.
struct ReduceScratch
{
    std::vector<int> errors;                   // the plain diffusion's, a row above and this one
    std::vector<qint16> carry;                 // the banded diffusion's errors between bands
    std::vector<quint64> staged;               // and the bytes of its steps
    std::shared_ptr<const LightTables> tables; // those of the last light response used
};

// Reduces a 32-bit picture (RGB32 or ARGB32 scan lines) to width x height RGB332 bytes, rows from the
// top. Without dithering every pixel is truncated exactly as reduceRow does; Nearest takes per channel
// the shown value nearest in code values. The dithers pick for each pixel one of the colours the display
// really shows (the expansion) so that an area sends out the light the picture asks for, which needs the
// sums made in light, not in code values:
// - FloydSteinberg takes the shown level nearest in light to the pixel plus the error carried to it, and
//   passes the remaining light on to its unvisited neighbours (7/16 right, 3/16, 5/16, 1/16 below);
// - Ordered chooses between the two shown levels around the value with an 8 x 8 Bayer threshold placed
//   in light between them.
// A picture made of shown colours comes out as their bytes under every method.
void reduceImage(const QImage &image, uchar *out, Dither method, ReduceScratch &scratch,
                 LightResponse light = {});

namespace detail {
// Floyd-Steinberg the portable way, one row after the other, which the fast path must match byte for
// byte; for the tests.
void reduceFloydSteinbergPlain(const QImage &image, uchar *out, ReduceScratch &scratch,
                               LightResponse light = {});
} // namespace detail

} // namespace lumivert
