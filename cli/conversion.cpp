#include "cli/conversion.h"

#include "core/fitting.h"
#include "core/pictureloader.h"
#include "core/savefile.h"
#include "core/scaletofit.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

PreparedPicture preparePicture(const QString &path, const ConversionSettings &settings)
{
    PictureOptions options;
    options.fitInto = settings.fit;
    PictureLoad load = loadPicture(path, options);
    switch (load.status) {
    case PictureLoad::Loaded:
        if (settings.fit)
            return {scaleToFit(load.image, *settings.fit, settings.background), QString()};
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
    reduceImage(image, reinterpret_cast<uchar *>(buffers.bytes.data()), settings.dither, buffers.scratch,
                settings.light);
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
