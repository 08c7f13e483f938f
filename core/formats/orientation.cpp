#include "core/formats/orientation.h"

#include "core/colour/rgb332.h"
#include "core/formats/scaletofit.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lumivert {

namespace {

// Past the box a scaled size only says how much is cut off; kept well within int all the same.
constexpr double LargestScaledSide = 1 << 20;

QSize turned(QSize size, const Placement &placement)
{
    return placement.turnsSideways() ? size.transposed() : size;
}

// The size of the whole oriented picture once scaled for the box.
QSize scaledSize(QSize oriented, QSize box, const Placement &placement)
{
    if (placement.mode == FitMode::Whole && !placement.enlarge)
        return fittedSize(oriented, box);
    const double across = double(box.width()) / oriented.width();
    const double down = double(box.height()) / oriented.height();
    double scale = placement.mode == FitMode::Fill ? std::max(across, down) : std::min(across, down);
    if (!placement.enlarge)
        scale = std::min(scale, 1.0);
    const auto side = [scale](int length) {
        return int(std::clamp(std::round(length * scale), 1.0, LargestScaledSide));
    };
    QSize size(side(oriented.width()), side(oriented.height()));
    if (placement.mode == FitMode::Whole)
        size = size.boundedTo(box);
    return size;
}

// The part of `length` source pixels that shows when `scaled` pixels are cut to `shown`, centred.
std::pair<int, int> shownSpan(int length, int scaled, int shown)
{
    if (shown >= scaled)
        return {0, length};
    const int span = std::clamp(int(std::lround(double(shown) * length / scaled)), 1, length);
    return {(length - span) / 2, span};
}

} // namespace

QImage oriented(const QImage &picture, Rotation rotation, Mirror mirror)
{
    const QImage flat = toRgb32(picture);
    const int w = flat.width();
    const int h = flat.height();
    const bool sideways = rotation == Rotation::Quarter || rotation == Rotation::ThreeQuarters;
    QImage out(sideways ? QSize(h, w) : QSize(w, h), QImage::Format_RGB32);
    const int ow = out.width();
    const int oh = out.height();
    for (int y = 0; y < h; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(flat.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            int tx = x;
            int ty = y;
            switch (rotation) {
            case Rotation::None:
                break;
            case Rotation::Quarter:
                tx = h - 1 - y;
                ty = x;
                break;
            case Rotation::Half:
                tx = w - 1 - x;
                ty = h - 1 - y;
                break;
            case Rotation::ThreeQuarters:
                tx = y;
                ty = w - 1 - x;
                break;
            }
            if (mirror == Mirror::Horizontal)
                tx = ow - 1 - tx;
            else if (mirror == Mirror::Vertical)
                ty = oh - 1 - ty;
            reinterpret_cast<QRgb *>(out.scanLine(ty))[tx] = src[x];
        }
    }
    return out;
}

QSize scaledUprightSize(QSize ownSize, QSize box, const Placement &placement)
{
    return turned(scaledSize(turned(ownSize, placement), box, placement), placement);
}

QImage placeOnBox(const QImage &picture, QSize ownSize, QSize box, const Placement &placement,
                  QRgb background)
{
    const QImage upright = oriented(picture, placement.rotation, placement.mirror);
    const QSize scaled = scaledSize(turned(ownSize, placement), box, placement);
    const QSize shown = scaled.boundedTo(box);
    // Only the part that shows is scaled, so a thin picture filling the screen never takes the memory
    // of its whole enlarged self.
    const auto [left, width] = shownSpan(upright.width(), scaled.width(), shown.width());
    const auto [top, height] = shownSpan(upright.height(), scaled.height(), shown.height());
    QImage part = width == upright.width() && height == upright.height()
                      ? upright
                      : upright.copy(left, top, width, height);
    if (part.size() != shown)
        part = toRgb32(part.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    QImage canvas(box, QImage::Format_RGB32);
    canvas.fill(background);
    const int x0 = (box.width() - shown.width()) / 2;
    const int y0 = (box.height() - shown.height()) / 2;
    // Copied row by row rather than painted, so no blending or colour management can touch the pixels.
    for (int y = 0; y < shown.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(part.constScanLine(y));
        std::copy(src, src + shown.width(), reinterpret_cast<QRgb *>(canvas.scanLine(y0 + y)) + x0);
    }
    return canvas;
}

} // namespace lumivert
