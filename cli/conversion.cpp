#include "cli/conversion.h"

#include "cli/librarymessages.h"
#include "cli/names.h"
#include "cli/plan.h"
#include "cli/reporter.h"
#include "core/files/regularfile.h"
#include "core/files/savefile.h"
#include "core/formats/fittedpicture.h"
#include "core/formats/pictureloader.h"
#include "core/formats/sizelimit.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace lumivert::cli {

namespace {

QString unreadable(const QString &reason, const QString &said)
{
    return QStringLiteral("cannot read the picture: %1").arg(reason) +
           (said.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(said));
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Creates a folder and those above it; returns the system's reason when that fails. Folders are
// made only after the last "..": the system resolves "x/.." only when x exists, so making x for it
// would leave a folder the user never named.
QString makeFolder(const QString &folder)
{
    const QStringList parts = QDir::fromNativeSeparators(folder).split(QLatin1Char('/'));
    const qsizetype up = parts.lastIndexOf(QStringLiteral(".."));
    if (up >= 0 && !QFileInfo(parts.mid(0, up + 1).join(QLatin1Char('/'))).isDir())
        return QString::fromLocal8Bit(std::strerror(ENOENT));
#ifdef Q_OS_WIN
    const std::filesystem::path path(folder.toStdWString());
#else
    const std::filesystem::path path(nameBytes(folder).toStdString());
#endif
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error)
        return {};
    return QString::fromLocal8Bit(error.message());
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
    const auto load = [&] {
        return path == StandardStream
                   ? loadFittedPicture(settings.standardInput, settings.fit, settings.background,
                                       settings.placement)
                   : loadFittedPicture(path, settings.fit, settings.background, settings.placement);
    };
    PictureLoad loaded;
    {
        std::shared_lock decoding(decodingLock());
        loaded = load();
    }
    if (loaded.loaded())
        return {std::move(loaded.image), QString()};
    if (loaded.problem.cause == Problem::Cause::PictureTooLarge)
        return failed(tooLarge(loaded.size));
    // The decoder's own words, when it said any, tell what the reader's summary does not.
    const QString said = loaded.format.isEmpty() ? QString() : libraryMessagesOfAlone([&] { load(); });
    return failed(unreadable(englishReason(loaded.problem), said));
}

void reducePicture(const QImage &image, const ConversionSettings &settings, WorkerBuffers &buffers)
{
    buffers.bytes.resize(qsizetype(image.width()) * image.height());
    reduceImage(image, reinterpret_cast<uchar *>(buffers.bytes.data()), settings.dither, buffers.scratch,
                settings.light);
}

QString writeBin(const QString &output, const QByteArray &bytes)
{
    if (output == StandardStream)
        return writeStandardOutput(bytes);
    const QString folder = QFileInfo(output).path();
    if (!QFileInfo::exists(folder)) {
        const QString why = makeFolder(folder);
        if (!why.isEmpty())
            return QStringLiteral("cannot create the folder %1: %2").arg(quoteName(folder), why);
    }
    if (const Problem problem = saveBytesUnsynced(output, bytes))
        return QStringLiteral("cannot write %1: %2").arg(quoteName(output), englishReason(problem));
    return {};
}

QString writeStandardOutput(const QByteArray &bytes)
{
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        return QStringLiteral("cannot write to standard output: %1").arg(systemReason());
    return {};
}

QString readStandardInput(QByteArray &bytes, qint64 limit)
{
    ReadFile read = lumivert::readStandardInput(limit);
    if (read.problem.cause == Problem::Cause::FileTooLong)
        return QStringLiteral("standard input is longer than %1 bytes; not read").arg(limit);
    if (read.problem.cause == Problem::Cause::Device)
        return QStringLiteral("standard input is a terminal or device; not read");
    if (read.problem)
        return QStringLiteral("cannot read standard input: %1").arg(englishReason(read.problem));
    bytes = std::move(read.bytes);
    return {};
}

} // namespace lumivert::cli
