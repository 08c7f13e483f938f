#include "core/formats/scaletofit.h"

#include "core/colour/rgb332.h"

#include <algorithm>
#include <cmath>

namespace lumivert {

QSize fittedSize(QSize picture, QSize box)
{
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    const double scale =
        std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
    const int w = std::clamp(int(std::lround(picture.width() * scale)), 1, box.width());
    const int h = std::clamp(int(std::lround(picture.height() * scale)), 1, box.height());
    return {w, h};
}

QImage scaleToFit(const QImage &picture, QSize box, QRgb background)
{
    QImage canvas(box, QImage::Format_RGB32);
    canvas.fill(background);
    const QSize size = fittedSize(picture.size(), box);
    const QImage flat = toRgb32(picture);
    const QImage shrunk =
        size == flat.size() ? flat : flat.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int left = (box.width() - size.width()) / 2;
    const int top = (box.height() - size.height()) / 2;
    // Copied row by row rather than painted, so no blending or colour management can touch the pixels.
    for (int y = 0; y < size.height(); ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(shrunk.constScanLine(y));
        auto *dst = reinterpret_cast<QRgb *>(canvas.scanLine(top + y)) + left;
        std::copy(src, src + size.width(), dst);
    }
    return canvas;
}

} // namespace lumivert
