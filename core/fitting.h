#pragma once

#include <QtGlobal>

namespace lumivert {

// The largest picture the window and a plain conversion take.
constexpr int MaxPictureWidth = 640;
constexpr int MaxPictureHeight = 480;

constexpr bool withinSizeLimit(qint64 width, qint64 height)
{
    return width <= MaxPictureWidth && height <= MaxPictureHeight;
}

} // namespace lumivert
