#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>

namespace lumivert {

// Clockwise, as the picture is turned before it is fitted.
enum class Rotation { None, Quarter, Half, ThreeQuarters };
enum class Mirror { None, Horizontal, Vertical };
// Whole: the picture inside the screen, on the background. Fill: the screen covered, the overflow cut
// off equally on both sides.
enum class FitMode { Whole, Fill };

// How a picture that comes in is turned and laid on the screen. The default is the picture as it is,
// shrunk only when larger than the screen and centred on the background.
struct Placement
{
    FitMode mode = FitMode::Whole;
    bool enlarge = false; // without it no picture is scaled above its own size
    Rotation rotation = Rotation::None;
    Mirror mirror = Mirror::None; // as seen after the rotation

    bool isPlain() const { return *this == Placement(); }
    bool turnsSideways() const
    {
        return rotation == Rotation::Quarter || rotation == Rotation::ThreeQuarters;
    }
    bool operator==(const Placement &) const = default;
};

// The picture turned, then mirrored; pixels are moved, never blended.
QImage oriented(const QImage &picture, Rotation rotation, Mirror mirror);

// A box-sized picture of `background` with the oriented picture scaled and centred on it, by the
// placement's mode. `picture` may be the picture decoded smaller than its own size `ownSize` (both
// upright, before turning): the geometry always follows the own size, so a picture decoded at
// another scale lands on the same pixels.
QImage placeOnBox(const QImage &picture, QSize ownSize, QSize box, const Placement &placement,
                  QRgb background);

// The size, before turning, that the whole upright picture takes once scaled for `box`: what a decoder
// that shrinks while decoding need deliver at the least.
QSize scaledUprightSize(QSize ownSize, QSize box, const Placement &placement);

} // namespace lumivert
