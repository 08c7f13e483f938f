#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "core/problem.h"

#include <optional>

namespace lumivert {

// A JPEG decoded by libjpeg-turbo straight into 32-bit pixels, without the detour through Qt's
// decoder and its row conversion. Gives the same pixels as Qt's decoder (the same library with the
// same settings: accurate DCT, smooth upsampling, and under a fit request the same DCT scale). None
// whenever this path does not apply or the header cannot be read; the loader then uses Qt's decoder.
// Data that the decoder warns about (it ends early, it is corrupt) is damage, not a picture.
struct FastJpeg
{
    QImage image; // 32-bit RGB when decoded
    QSize size;   // the declared size, also when it is over the limit
    bool tooLarge = false;
    Problem damage; // why the decoder stopped: data that ends early or is corrupt (image then null)
};

bool fastJpegAvailable();

// What the markers of a JPEG file tell before anything is decoded, whichever decoder then decodes it.
struct JpegLayout
{
    QSize size;      // from the frame header; invalid when there is none
    Problem problem; // none for a file that can be decoded within the bounds
};

// Walks the file's markers without decoding. A problem when the data ends before the end-of-picture
// mark (a file cut off or still being copied), when it has more scans than any real picture needs (each
// costs a pass over the whole picture), or when a picture of several scans would need a coefficient
// buffer of more than `maxBytes`: such a picture is held whole while it is decoded, however small it
// is then shown.
JpegLayout inspectJpeg(const QByteArray &file, qint64 maxBytes);

// Without `fitInto` a picture over 640 x 480 is only measured. With it, the picture is shrunk in
// the DCT towards its fitted size as Qt's reader does when given that size, never below it. None
// as well when the pixels would take more than `maxBytes`.
std::optional<FastJpeg> decodeJpeg(const QByteArray &file, std::optional<QSize> fitInto, qint64 maxBytes);

} // namespace lumivert
