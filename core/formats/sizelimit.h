#pragma once

#include <QtGlobal>

#include <limits>

namespace lumivert {

// The largest picture the window and a plain conversion take.
constexpr int MaxPictureWidth = 640;
constexpr int MaxPictureHeight = 480;

constexpr bool withinSizeLimit(qint64 width, qint64 height)
{
    return width <= MaxPictureWidth && height <= MaxPictureHeight;
}

// A stated size that an int may not hold, as the largest int: such a picture is too large all the same.
constexpr int clampToInt(qint64 value)
{
    return value > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(value);
}

} // namespace lumivert
