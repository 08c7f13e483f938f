#pragma once

#include <QImage>
#include <QString>

class QIODevice;

namespace lumivert {

// The outcome of reading a picture under the 640 x 480 limit.
struct PictureLoad
{
    enum Status { Loaded, TooLarge, Unreadable };
    Status status = Unreadable;
    QImage image; // 32-bit RGB when loaded
    QSize size;   // the picture's size, as far as it is known
    QString error;

    bool loaded() const { return status == Loaded; }
};

// Reads any picture format that Qt decodes, deciding the format from the content, never from the
// name. The size is checked from the header before decoding wherever the header tells it, so a
// picture that merely claims a huge size is refused without allocating it.
PictureLoad loadPicture(const QString &path);
PictureLoad loadPicture(QIODevice *device);
PictureLoad loadPicture(const QByteArray &data);

} // namespace lumivert
