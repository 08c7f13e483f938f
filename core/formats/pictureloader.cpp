#include "core/formats/pictureloader.h"

#include "core/colour/rgb332.h"
#include "core/files/regularfile.h"
#include "core/formats/bmpfile.h"
#include "core/formats/formatchecks.h"
#include "core/formats/jpegdecoder.h"
#include "core/formats/scaletofit.h"
#include "core/formats/sizelimit.h"

#include <QBuffer>
#include <QImageReader>

#include <limits>
#include <utility>

namespace lumivert {

namespace {

// A bitmap within the size limit is small, so one far longer than its picture could need is a fault.
constexpr qint64 LongestBitmap = 16 * 1024 * 1024;
// Under a fit request a bitmap may be of any size, but it decodes to 4 bytes a pixel and stores at
// most 4 (Qt's reader refuses deeper ones), so a file much longer than the decode limit cannot give
// a picture.
constexpr qint64 LongestFittedBitmap = LongestPictureBytes;
// JPEG data is decoded from memory up to this length, its markers checked first; no camera writes a
// longer one.
constexpr qint64 LongestJpeg = DecodeLimitBytes;
// The most pixels a picture other than a JPEG may state: a 200-megapixel photograph, which decodes in
// about a second. libjpeg-turbo's road bounds its own work by the scans and blocks it would decode.
constexpr qint64 MostDecodedPixels = 200'000'000;

PictureLoad unreadable(Problem problem, const QByteArray &format = {})
{
    PictureLoad result;
    result.problem = std::move(problem);
    result.format = format;
    return result;
}

PictureLoad damaged(const QString &how, const QByteArray &format)
{
    return unreadable(Problem(Problem::Cause::Damaged, how), format);
}

Problem tooLongForAPicture()
{
    return Problem(Problem::Cause::FileTooLong, QStringLiteral("file too long for a picture"));
}

PictureLoad tooLarge(QSize size, const QByteArray &format)
{
    PictureLoad result;
    result.problem = Problem::Cause::PictureTooLarge;
    result.size = size;
    result.format = format;
    return result;
}

PictureLoad loaded(QImage image, QSize size, const QByteArray &format)
{
    PictureLoad result;
    result.problem = {};
    result.image = std::move(image);
    result.size = size;
    result.format = format;
    return result;
}

QByteArray bmpFormat()
{
    return QByteArrayLiteral("bmp");
}

// The colour channels as stored: alpha in a bitmap is ignored, as Windows ignores it when it shows
// one (Qt's conversion to RGB32 drops it without blending). Formats whose transparency is real are
// shown over white instead (toRgb32).
QImage withoutAlpha(const QImage &image)
{
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : toRgb32(image);
}

// Qt's readers give what they decoded of a file that ends early, with the rest left blank, and call it
// a success. A PNG is whole when its end chunk is there (some writers append a little after it); GIF and
// XPM are checked before they are decoded.
Problem damageAfterRead(const QImageReader &reader, QIODevice *device, const QByteArray &format)
{
    if (reader.error() != QImageReader::UnknownError)
        return Problem(Problem::Cause::Damaged, reader.errorString());
    if (format != "png" || device->isSequential())
        return {};
    const qint64 tail = qMin<qint64>(device->size(), 4096);
    device->seek(device->size() - tail);
    if (!device->read(tail).contains("IEND"))
        return Problem(Problem::Cause::Damaged, QStringLiteral("the data ends before the picture does"));
    return {};
}

PictureLoad readWithQt(QIODevice *device, const PictureOptions &options)
{
    // Decoders whose header gives no size are still kept to the decode limit.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(int(DecodeLimitBytes / (1024 * 1024)));
        return true;
    }();
    Q_UNUSED(limited);

    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return unreadable(Problem(Problem::Cause::NotAPicture, reader.errorString()));
    // Asked before reading: afterwards the reader no longer knows.
    const QByteArray format = reader.format();

    const QSize declared = reader.size();
    QSize size;
    if (declared.isValid() || declared.width() != -1 || declared.height() != -1) {
        // A BMP stored top row first declares its height as a negative number.
        qint64 height = declared.height();
        if (height < 0 && format == bmpFormat())
            height = -height;
        if (declared.width() <= 0 || height <= 0)
            return damaged(QStringLiteral("invalid picture size"), format);
        size = QSize(declared.width(), clampToInt(height));
        if (!options.fitInto && !withinSizeLimit(size.width(), size.height()))
            return tooLarge(size, format);
        // Shrinking while decoding keeps the memory small, not the work: every pixel is still
        // inflated and filtered, and a few megabytes of PNG can state 10 billion of them.
        if (qint64(size.width()) * size.height() > MostDecodedPixels)
            return damaged(QStringLiteral("%1x%2 pixels are more than a picture may have (%3)")
                               .arg(size.width())
                               .arg(size.height())
                               .arg(MostDecodedPixels),
                           format);
        // A decoder that can shrink while decoding is asked for the fitted size directly: a big
        // photograph then never needs its full size in memory.
        if (options.fitInto && reader.supportsOption(QImageIOHandler::ScaledSize)) {
            const QSize fitted = fittedSize(size, *options.fitInto);
            if (fitted != size)
                reader.setScaledSize(fitted);
        }
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return damaged(reader.errorString(), format);
    if (Problem damage = damageAfterRead(reader, device, format))
        return unreadable(std::move(damage), format);
    if (!options.fitInto && !withinSizeLimit(image.width(), image.height()))
        return tooLarge(image.size(), format);
    if (!reader.scaledSize().isValid())
        size = image.size();
    return loaded(format == bmpFormat() ? withoutAlpha(image) : toRgb32(image), size, format);
}

std::optional<PictureLoad> refusedForSize(const BmpHeader &header, const PictureOptions &options)
{
    if (options.fitInto)
        return std::nullopt;
    const std::optional<QSize> size = statedSize(header);
    if (size && !withinSizeLimit(size->width(), size->height()))
        return tooLarge(*size, bmpFormat());
    return std::nullopt;
}

qint64 longestBitmap(const PictureOptions &options)
{
    return options.fitInto ? LongestFittedBitmap : LongestBitmap;
}

PictureLoad loadBitmap(const QByteArray &data, const BmpHeader &header, const PictureOptions &options)
{
    if (auto refused = refusedForSize(header, options))
        return std::move(*refused);
    if (data.size() > longestBitmap(options))
        return unreadable(tooLongForAPicture(), bmpFormat());
    if (Problem problem = bmpProblem(data, header))
        return unreadable(std::move(problem), bmpFormat());
    if (header.runLength()) {
        RunLengthPicture picture = decodeRunLength(data, header, DecodeLimitBytes);
        if (picture.problem)
            return unreadable(std::move(picture.problem), bmpFormat());
        const QSize size = picture.image.size();
        return loaded(std::move(picture.image), size, bmpFormat());
    }
    QBuffer buffer;
    // Qt's reader takes the old OS/2 header's 16-bit sizes as signed; the same picture under today's
    // header reads as it should.
    buffer.setData(header.infoSize == Os2InfoSize ? os2AsWindowsBitmap(data, header) : data);
    buffer.open(QIODevice::ReadOnly);
    return readWithQt(&buffer, options);
}

} // namespace

PictureLoad loadPicture(const QByteArray &data, const PictureOptions &options)
{
    if (const std::optional<BmpHeader> header = readBmpHeader(data))
        return loadBitmap(data, *header, options);
    if (data.startsWith("\xFF\xD8")) {
        const QByteArray jpegFormat = QByteArrayLiteral("jpeg");
        const JpegLayout layout = inspectJpeg(data, DecodeLimitBytes);
        if (layout.problem) {
            // A picture over the limit is refused as such, whatever else is wrong with it.
            if (!options.fitInto && !layout.size.isEmpty() &&
                !withinSizeLimit(layout.size.width(), layout.size.height()))
                return tooLarge(layout.size, jpegFormat);
            return unreadable(layout.problem, jpegFormat);
        }
        if (const std::optional<FastJpeg> jpeg = decodeJpeg(data, options.fitInto, DecodeLimitBytes)) {
            if (jpeg->tooLarge)
                return tooLarge(jpeg->size, jpegFormat);
            if (jpeg->damage)
                return unreadable(jpeg->damage, jpegFormat);
            return loaded(jpeg->image, jpeg->size, jpegFormat);
        }
    }
    if (Problem problem = gifProblem(data))
        return unreadable(std::move(problem), QByteArrayLiteral("gif"));
    if (Problem problem = xpmProblem(data))
        return unreadable(std::move(problem), QByteArrayLiteral("xpm"));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    return readWithQt(&buffer, options);
}

PictureLoad loadPicture(QIODevice *device, const PictureOptions &options)
{
    // Every picture is read whole, once, and never further than any picture could need: the checks
    // and libjpeg-turbo work on the bytes, and a file or stream read this way is read alike.
    const QByteArray magic = device->peek(2);
    const bool bitmap = magic == QByteArrayLiteral("BM");
    const bool jpeg = magic == QByteArrayLiteral("\xFF\xD8");
    const qint64 longest = bitmap ? longestBitmap(options) : jpeg ? LongestJpeg : LongestPictureBytes;
    if (bitmap && !device->isSequential() && device->size() > longest) {
        // A picture too large for the limit is refused as such, long file or not.
        constexpr qint64 HeaderBytes = 64;
        const std::optional<BmpHeader> header = readBmpHeader(device->peek(HeaderBytes));
        if (auto refused = header ? refusedForSize(*header, options) : std::nullopt)
            return std::move(*refused);
    }
    ReadFile data = readDevice(*device, longest);
    if (data.problem.cause == Problem::Cause::FileTooLong)
        return unreadable(tooLongForAPicture(), bitmap ? bmpFormat()
                                                : jpeg ? QByteArrayLiteral("jpeg")
                                                       : QByteArray());
    if (!data.ok())
        return unreadable(data.problem);
    return loadPicture(data.bytes, options);
}

PictureLoad loadPicture(const QString &path, const PictureOptions &options)
{
    // Opened here rather than by name: a reader given a name also tries that name with
    // extensions appended, which would load a different file.
    // Only plain files: a FIFO would wait for a writer, a device might never end.
    const OpenedFile opened = openRegularFile(path);
    if (!opened.ok())
        return unreadable(opened.problem);
    return loadPicture(opened.file.get(), options);
}

} // namespace lumivert
