#pragma once

#include "core/colour/dither.h"
#include "core/formats/orientation.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace lumivert {

// How the picture being converted was laid out when it came in.
struct PictureLayout
{
    std::optional<QSize> fit; // none: taken at its own size
    Placement placement;
    bool binFile = false; // drawn from a BIN file
};

// The picture as the display shows it once converted by `method`: a conversion of its own, which
// touches no converted bytes and no picture shown.
QImage unitPreview(const QImage &source, Dither method);

// Names as the menus give them, without access keys.
QString methodName(Dither method);
QString layoutName(const PictureLayout &layout);

// The comparison's zoom: a whole factor from 1 to 4, or the largest scale that fits the area.
struct ComparisonZoom
{
    static constexpr int Fit = 0;
    static constexpr int Most = 4;

    int factor = Fit;

    // The scale for `shown` (the pictures as laid out, at 1x) inside `area`.
    double scale(QSize shown, QSize area) const;
    // One step larger or smaller; from fitting, the next whole factor beyond the fitted scale.
    ComparisonZoom larger(QSize shown, QSize area) const;
    ComparisonZoom smaller(QSize shown, QSize area) const;
};

} // namespace lumivert
