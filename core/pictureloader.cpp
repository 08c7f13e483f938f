#include "core/pictureloader.h"

#include "core/rgb332.h"
#include "core/bmpcheck.h"
#include "core/fitting.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>

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

int clampToInt(qint64 value)
{
    return int(qMin<qint64>(value, std::numeric_limits<int>::max()));
}

// The size a BMP header states, when it is a plausible header. Qt's BMP reader refuses a header of
// more than 16384 x 16384 pixels as if the file were damaged; such a picture is too large, not
// unreadable. A top-down BMP states its height as a negative number.
std::optional<QSize> bmpHeaderSize(QIODevice *device)
{
    const QByteArray h = device->peek(30);
    if (h.size() < 26 || !h.startsWith("BM"))
        return std::nullopt;
    const auto u16 = [&h](int at) { return quint16(uchar(h[at]) | (uchar(h[at + 1]) << 8)); };
    const auto u32 = [&u16](int at) { return quint32(u16(at)) | (quint32(u16(at + 2)) << 16); };

    qint64 width = 0;
    qint64 height = 0;
    quint16 planes = 0;
    quint16 bits = 0;
    const quint32 infoSize = u32(14);
    if (infoSize == 12) { // OS/2 1.x: unsigned 16-bit sizes
        width = u16(18);
        height = u16(20);
        planes = u16(22);
        bits = u16(24);
    } else if (infoSize >= 16 && h.size() >= 30) {
        width = qint32(u32(18));
        height = qint32(u32(22));
        planes = u16(26);
        bits = u16(28);
        if (height < 0)
            height = -height;
    } else {
        return std::nullopt;
    }
    static constexpr quint16 knownBits[] = {1, 2, 4, 8, 16, 24, 32, 64};
    if (planes != 1 || width <= 0 || height <= 0 ||
        std::find(std::begin(knownBits), std::end(knownBits), bits) == std::end(knownBits))
        return std::nullopt;
    return QSize(clampToInt(width), clampToInt(height));
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

    if (const auto bmp = bmpHeaderSize(device); bmp && !withinSizeLimit(bmp->width(), bmp->height()))
        return tooLarge(*bmp);

    // A bitmap is checked for structural faults before it is decoded; a bitmap within the size limit is
    // small, so one far longer than its picture could need is a fault as well.
    if (device->peek(2) == QByteArrayLiteral("BM")) {
        constexpr qint64 MaxBitmapFile = 16 * 1024 * 1024;
        if (!device->isSequential() && device->size() > MaxBitmapFile)
            return unreadable(QStringLiteral("file too long for a picture"));
        const QString problem = bmpProblem(device->peek(MaxBitmapFile));
        if (!problem.isEmpty())
            return unreadable(problem);
    }

    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return unreadable(reader.errorString());

    const QSize declared = reader.size();
    if (declared.isValid() || declared.width() != -1 || declared.height() != -1) {
        // A BMP stored top row first declares its height as a negative number.
        qint64 height = declared.height();
        if (height < 0 && reader.format() == "bmp")
            height = -height;
        if (declared.width() <= 0 || height <= 0)
            return unreadable(QStringLiteral("invalid picture size"));
        if (!withinSizeLimit(declared.width(), height))
            return tooLarge(QSize(declared.width(), clampToInt(height)));
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
