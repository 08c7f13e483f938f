#include "core/pictureloader.h"

#include "core/bmpfile.h"
#include "core/fitting.h"
#include "core/rgb332.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <limits>
#include <utility>

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

// The colour channels as stored: alpha in a bitmap is ignored, as Windows ignores it when it shows
// one. Formats whose transparency is real are shown over white instead (toRgb32).
QImage withoutAlpha(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return toRgb32(image);
    QImage opaque = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < opaque.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(opaque.scanLine(y));
        for (int x = 0; x < opaque.width(); ++x)
            row[x] |= 0xFF000000u;
    }
    opaque.reinterpretAsFormat(QImage::Format_RGB32);
    return opaque;
}

} // namespace

PictureLoad loadPicture(QIODevice *device)
{
    // Decoders whose header gives no size are still kept from allocating more than a few
    // full-size pictures would need.
    constexpr int AllocationLimitMiB = 64;
    static const bool limited = [] {
        QImageReader::setAllocationLimit(AllocationLimitMiB);
        return true;
    }();
    Q_UNUSED(limited);

    // A bitmap is checked for its size and for structural faults before it is decoded; a bitmap within
    // the size limit is small, so one far longer than its picture could need is a fault as well.
    if (device->peek(2) == QByteArrayLiteral("BM")) {
        constexpr qint64 MaxBitmapFile = 16 * 1024 * 1024;
        const QByteArray file = device->peek(MaxBitmapFile);
        const BmpHeader header = *readBmpHeader(file);
        if (const auto size = statedSize(header); size && !withinSizeLimit(size->width(), size->height()))
            return tooLarge(*size);
        if (!device->isSequential() && device->size() > MaxBitmapFile)
            return unreadable(QStringLiteral("file too long for a picture"));
        const QString problem = bmpProblem(file, header);
        if (!problem.isEmpty())
            return unreadable(problem);
        if (header.runLength()) {
            RunLengthPicture picture =
                decodeRunLength(file, header, qint64(AllocationLimitMiB) * 1024 * 1024);
            if (picture.image.isNull())
                return unreadable(picture.problem);
            PictureLoad result;
            result.status = PictureLoad::Loaded;
            result.size = picture.image.size();
            result.image = std::move(picture.image);
            return result;
        }
    }

    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return unreadable(reader.errorString());
    // Asked before reading: afterwards the reader no longer knows.
    const bool bitmap = reader.format() == "bmp";

    const QSize declared = reader.size();
    if (declared.isValid() || declared.width() != -1 || declared.height() != -1) {
        // A BMP stored top row first declares its height as a negative number.
        qint64 height = declared.height();
        if (height < 0 && reader.format() == "bmp")
            height = -height;
        if (declared.width() <= 0 || height <= 0)
            return unreadable(QStringLiteral("invalid picture size"));
        if (!withinSizeLimit(declared.width(), height))
            return tooLarge(
                QSize(declared.width(), int(qMin<qint64>(height, std::numeric_limits<int>::max()))));
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return unreadable(reader.errorString());
    if (!withinSizeLimit(image.width(), image.height()))
        return tooLarge(image.size());

    PictureLoad result;
    result.status = PictureLoad::Loaded;
    result.image = bitmap ? withoutAlpha(image) : toRgb32(image);
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
