#pragma once

#include "core/formats/orientation.h"
#include "core/formats/pictureloader.h"

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
//
// A placement other than the plain one turns and mirrors the picture first, then lays it on the box by
// its mode (filling the box, enlarging small pictures). Without a box only the turning applies, and
// the limit is the turned picture's.
PictureLoad loadFittedPicture(const QString &path, std::optional<QSize> fit, QRgb background,
                              const Placement &placement = {});
PictureLoad loadFittedPicture(const QByteArray &data, std::optional<QSize> fit, QRgb background,
                              const Placement &placement = {});
// The same for a picture that is already decoded (one held by the clipboard).
PictureLoad fittedPicture(const QImage &image, std::optional<QSize> fit, QRgb background,
                          const Placement &placement = {});

} // namespace lumivert
