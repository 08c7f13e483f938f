#pragma once

#include <QImage>

#include <vector>

namespace lumivert {

// How a picture is reduced to RGB332. None is the display's own truncation and the default everywhere.
enum class Dither { None, Nearest, FloydSteinberg, Ordered };

// What one reduction keeps between calls, so a caller converting many pictures allocates once.
struct ReduceScratch
{
    std::vector<int> errors;
};

// Reduces a 32-bit picture (RGB32 or ARGB32 scan lines) to width x height RGB332 bytes, rows from the
// top. Without dithering every pixel is truncated exactly as reduceRow does. The dithering methods pick
// for each pixel one of the colours the display really shows (the expansion), so that an area's shown
// average follows the picture instead of the top of each band:
// - FloydSteinberg takes the shown colour nearest to the pixel plus the error carried to it, and passes
//   the remaining difference on to its unvisited neighbours (7/16 right, 3/16, 5/16, 1/16 below);
// - Ordered chooses between the two shown colours around the value with an 8 x 8 Bayer threshold.
void reduceImage(const QImage &image, uchar *out, Dither method, ReduceScratch &scratch);

// The level of a channel of `bits` bits (3 for red and green, 2 for blue) whose shown value is nearest
// to `value` (0-255); a tie goes to the darker level.
int nearestShownLevel(int value, int bits);

} // namespace lumivert
