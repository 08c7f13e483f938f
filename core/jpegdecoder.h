#pragma once

#include <QByteArray>
#include <QImage>

#include <optional>

namespace lumivert {

// A JPEG decoded by libjpeg-turbo straight into 32-bit pixels, without the general loader's
// detour through Qt's decoder and its row conversion. Gives the same pixels as that loader (the
// same library with the same settings: accurate DCT, smooth upsampling). None whenever this path
// does not apply or the data is anything but a clean JPEG; the caller then uses the general loader,
// which also decides how damaged files are treated.
struct FastJpeg
{
    QImage image; // 32-bit RGB when decoded
    QSize size;   // the declared size, also when it is over the limit
    bool tooLarge = false;
};

bool fastJpegAvailable();
std::optional<FastJpeg> decodeJpeg(const QByteArray &file);

} // namespace lumivert
