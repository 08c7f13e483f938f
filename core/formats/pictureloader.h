#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "core/problem.h"

#include <optional>

class QIODevice;

namespace lumivert {

// No decoder may allocate more than this for a picture's pixels: a few dozen full-size pictures, or
// a photograph shrunk while it is decoded, but not the size a header merely claims.
constexpr qint64 DecodeLimitBytes = 64 * 1024 * 1024;

// No picture file is read further: a picture that decodes within the limit above is shorter (the spare
// megabyte is for headers, palettes and colour profiles), whatever comes after its data.
constexpr qint64 LongestPictureBytes = DecodeLimitBytes + 1024 * 1024;

struct PictureOptions
{
    // The picture is wanted to fit into a box of this size: no 640 x 480 limit applies, and a decoder
    // that can shrink while decoding (JPEG, in the DCT) delivers it at its fitted size (fittedSize);
    // the others deliver it whole. Placing it on the box is the caller's (scaleToFit).
    std::optional<QSize> fitInto;
};

// The outcome of reading a picture.
struct PictureLoad
{
    QImage image;      // 32-bit RGB when loaded
    QSize size;        // the picture's own size, as far as it is known (also when decoded shrunk)
    QByteArray format; // the decoder's name for it ("jpeg", "bmp", "png", ...), empty when none knew it
    // Why there is no picture: PictureTooLarge, the file's own cause (Missing, Fifo, ...), NotAPicture,
    // or Damaged with the decoder's words.
    Problem problem{Problem::Cause::NotAPicture};

    enum Status { Loaded, TooLarge, Unreadable };
    Status status() const
    {
        if (!problem)
            return Loaded;
        return problem.cause == Problem::Cause::PictureTooLarge ? TooLarge : Unreadable;
    }
    bool loaded() const { return !problem; }
};

// Reads any picture format that Qt decodes, deciding the format from the content, never from the
// name. The size is checked from the header before decoding wherever the header tells it, so a
// picture that merely claims a huge size is refused without allocating it. Bitmaps are checked for
// structural faults first, their run-length coding is decoded here and their alpha is ignored;
// JPEG goes to libjpeg-turbo directly where it is built in.
PictureLoad loadPicture(const QString &path, const PictureOptions &options = {});
PictureLoad loadPicture(QIODevice *device, const PictureOptions &options = {});
PictureLoad loadPicture(const QByteArray &data, const PictureOptions &options = {});

} // namespace lumivert
