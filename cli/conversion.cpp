#include "cli/conversion.h"

#include "core/jpegdecoder.h"

#include "core/scaletofit.h"
#include "core/fitting.h"
#include "core/pictureloader.h"
#include "core/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace lumivert::cli {

namespace {

QString unreadable(const QString &reason)
{
    return QStringLiteral("cannot read the picture: %1").arg(reason);
}

QString tooLarge(QSize size)
{
    return QStringLiteral("%1x%2 is larger than %3x%4 (--fit shrinks it)")
        .arg(size.width())
        .arg(size.height())
        .arg(MaxPictureWidth)
        .arg(MaxPictureHeight);
}

PreparedPicture failed(const QString &reason)
{
    return {QImage(), reason};
}

PreparedPicture prepareFitted(const QString &path, QSize box, QRgb background)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(unreadable(file.errorString()));
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead())
        return failed(unreadable(reader.errorString()));
    // A decoder that can shrink while decoding (JPEG does it in the DCT) is asked for the fitted size
    // directly: a big photograph then never needs its full size in memory.
    const QSize declared = reader.size();
    if (declared.isValid() && !declared.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
        const QSize fitted = fittedSize(declared, box);
        if (fitted != declared)
            reader.setScaledSize(fitted);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return failed(unreadable(reader.errorString()));
    return {scaleToFit(image, box, background), QString()};
}

} // namespace

PreparedPicture preparePicture(const QString &path, const ConversionSettings &settings)
{
    if (settings.fit)
        return prepareFitted(path, *settings.fit, settings.background);
    if (fastJpegAvailable()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.peek(2) == QByteArrayLiteral("\xFF\xD8")) {
            if (const std::optional<FastJpeg> jpeg = decodeJpeg(file.readAll())) {
                if (!jpeg->tooLarge)
                    return {jpeg->image, QString()};
                return failed(tooLarge(jpeg->size));
            }
        }
    }
    PictureLoad load = loadPicture(path);
    switch (load.status) {
    case PictureLoad::Loaded:
        return {std::move(load.image), QString()};
    case PictureLoad::TooLarge:
        return failed(tooLarge(load.size));
    case PictureLoad::Unreadable:
        break;
    }
    return failed(unreadable(load.error));
}

void reducePicture(const QImage &image, const ConversionSettings &settings, WorkerBuffers &buffers)
{
    buffers.bytes.resize(qsizetype(image.width()) * image.height());
    reduceImage(image, reinterpret_cast<uchar *>(buffers.bytes.data()), settings.dither, buffers.scratch);
}

QString writeBin(const QString &output, const QByteArray &bytes)
{
    const QString folder = QFileInfo(output).path();
    if (!QFileInfo::exists(folder) && !QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    const QString problem = saveBytesUnsynced(output, bytes);
    if (!problem.isEmpty())
        return QStringLiteral("cannot write %1: %2").arg(output, problem);
    return {};
}

} // namespace lumivert::cli
