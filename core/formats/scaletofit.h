#pragma once

#include <QImage>
#include <QRgb>
#include <QSize>

namespace lumivert {

// The size a picture takes inside a box: unchanged when it fits, else shrunk keeping its aspect
// (rounded to whole pixels, never below 1 x 1).
QSize fittedSize(QSize picture, QSize box);

// A box-sized 32-bit picture of `background` with `picture` centred on it, shrunk first with a smoothing
// filter when it is larger than the box. A picture that already fits is copied unscaled.
QImage scaleToFit(const QImage &picture, QSize box, QRgb background);

} // namespace lumivert
