#include "files/picturefile.h"

#include "convert/rgb332.h"
#include "files/fitting.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

namespace lumivert {

namespace {

PictureLoad unreadable(const QString &error)
{
    PictureLoad result;
    result.error = error;
    return result;
}

PictureLoad tooLarge(QSize size)
{
    PictureLoad result;
    result.status = PictureLoad::TooLarge;
    result.size = size;
    return result;
}

} // namespace

PictureLoad loadPicture(QIODevice *device)
{
    // Decoders whose header gives no size are still kept from allocating more than a few
    // full-size pictures would need.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(64);
        return true;
    }();
    Q_UNUSED(limited);

    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return unreadable(reader.errorString());

    const QSize declared = reader.size();
    if (declared.isValid() || declared.width() != -1 || declared.height() != -1) {
        if (declared.width() <= 0 || declared.height() <= 0)
            return unreadable(QStringLiteral("invalid picture size"));
        if (!withinSizeLimit(declared.width(), declared.height()))
            return tooLarge(declared);
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return unreadable(reader.errorString());
    if (!withinSizeLimit(image.width(), image.height()))
        return tooLarge(image.size());

    PictureLoad result;
    result.status = PictureLoad::Loaded;
    result.image = toRgb32(image);
    result.size = image.size();
    return result;
}

PictureLoad loadPicture(const QString &path)
{
    // Opened here rather than by name: a reader given a name also tries that name with
    // extensions appended, which would load a different file.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    return loadPicture(&file);
}

PictureLoad loadPicture(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return loadPicture(&buffer);
}

} // namespace lumivert
