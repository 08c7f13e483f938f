#pragma once

#include "core/pictureloader.h"

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>

#include <optional>

namespace lumivert {

// Reads a picture as a conversion takes it. Without a fit box it is the picture itself, refused over
// 640 x 480. With one, nothing is refused for its size: the picture is shrunk keeping its aspect when it
// is larger than the box (a JPEG already while it is decoded), never enlarged, and centred on a
// box-sized picture of `background`. `size` stays the picture's own size.
PictureLoad loadFittedPicture(const QString &path, std::optional<QSize> fit, QRgb background);
PictureLoad loadFittedPicture(const QByteArray &data, std::optional<QSize> fit, QRgb background);
// The same for a picture that is already decoded (one held by the clipboard).
PictureLoad fittedPicture(const QImage &image, std::optional<QSize> fit, QRgb background);

} // namespace lumivert
