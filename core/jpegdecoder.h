#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace lumivert {

// A JPEG decoded by libjpeg-turbo straight into 32-bit pixels, without the detour through Qt's
// decoder and its row conversion. Gives the same pixels as Qt's decoder (the same library with the
// same settings: accurate DCT, smooth upsampling, and under a fit request the same DCT scale). None
// whenever this path does not apply or the data is anything but a clean JPEG; the loader then uses
// Qt's decoder, which also decides how damaged files are treated.
struct FastJpeg
{
    QImage image; // 32-bit RGB when decoded
    QSize size;   // the declared size, also when it is over the limit
    bool tooLarge = false;
};

bool fastJpegAvailable();

// Without `fitInto` a picture over 640 x 480 is only measured. With it, the picture is shrunk in
// the DCT towards its fitted size as Qt's reader does when given that size, never below it. None
// as well when the pixels would take more than `maxBytes`.
std::optional<FastJpeg> decodeJpeg(const QByteArray &file, std::optional<QSize> fitInto, qint64 maxBytes);

} // namespace lumivert
