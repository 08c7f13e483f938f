#include "cli/commands.h"

#include "cli/conversion.h"
#include "cli/librarymessages.h"
#include "cli/names.h"
#include "cli/plan.h"
#include "cli/reporter.h"
#include "cli/runner.h"
#include "core/files/fileidentity.h"
#include "core/files/regularfile.h"
#include "core/files/savefile.h"
#include "core/formats/binformat.h"
#include "core/formats/bmpfile.h"
#include "core/formats/pictureloader.h"
#include "core/formats/sizelimit.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lumivert::cli {

namespace {

void printLine(std::FILE *stream, const QString &line)
{
    std::fputs(line.toLocal8Bit().append('\n').constData(), stream);
}

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString lowerSuffix(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1).toLower() : QString();
}

} // namespace

void printUsageError(std::FILE *err, const QString &reason)
{
    printLine(err, QStringLiteral("lumivert-cli: %1").arg(reason));
    printLine(err, QStringLiteral("Try 'lumivert-cli --help'."));
}

int closeOutput(std::FILE *out, std::FILE *err, int status)
{
    // Nothing pending on a closed stream is no error; a write that failed, or could not be flushed, is.
    errno = 0;
    bool failed = std::fflush(out) != 0;
    int error = errno;
    failed = std::ferror(out) != 0 || failed;
    if (std::fclose(out) != 0 && errno != EBADF && !failed) {
        failed = true;
        error = errno;
    }
    if (!failed)
        return status;
    printLine(err, error ? QStringLiteral("lumivert-cli: write error: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(error)))
                         : QStringLiteral("lumivert-cli: write error"));
    return SomeFailed;
}

int workerCount(int requested, int cores)
{
    // More workers than this only add memory (a fitted picture holds tens of megabytes while it is
    // decoded), not speed.
    const int most = std::min(4 * std::max(cores, 1), MostJobs);
    return std::clamp(requested > 0 ? requested : cores, 1, most);
}

int runConvert(const Arguments &args, std::FILE *err, bool errIsTerminal)
{
    const ConversionPlan plan =
        planConversions(args.inputs, args.output, args.outDir, args.recursive, readableExtensions());
    if (!plan.usageError.isEmpty()) {
        printUsageError(err, plan.usageError);
        return UsageError;
    }

    Reporter reporter(err, errIsTerminal && !args.quiet);
    const auto summarise = [&] {
        if (!args.quiet)
            printLine(err, summaryLine(reporter.converted(), reporter.failures()));
    };
    for (const PlanProblem &p : plan.problems) {
        reporter.fileFailed(p.file, p.reason);
        if (!args.keepGoing) {
            summarise();
            return SomeFailed;
        }
    }

    ConversionSettings settings;
    settings.dither = args.dither;
    settings.light = args.light;
    settings.fit = args.fit;
    settings.background = args.background;
    settings.placement = args.placement;
    if (args.inputs.contains(StandardStream)) {
        const QString problem = readStandardInput(settings.standardInput, LongestPictureBytes);
        if (!problem.isEmpty()) {
            reporter.fileFailed(StandardStream, problem);
            summarise();
            return SomeFailed;
        }
    }
    const int jobs = workerCount(args.jobs, QThread::idealThreadCount());

    reporter.startProgress(qsizetype(plan.conversions.size()));
    const bool ok = runConversions(plan.conversions, settings, jobs, args.keepGoing, reporter);
    reporter.finish();
    summarise();
    return ok && plan.problems.empty() ? AllDone : SomeFailed;
}

RenderedBin renderBin(const QByteArray &bytes, std::optional<QSize> size)
{
    const qint64 length = bytes.size();
    if (size) {
        const qint64 needed = qint64(size->width()) * size->height();
        if (needed != length)
            return {QImage(), QStringLiteral("is %1 bytes long, but %2 needs %3")
                                  .arg(length)
                                  .arg(sizeText(*size))
                                  .arg(needed)};
    } else {
        size = binGeometry(length);
        if (!size)
            return {QImage(),
                    QStringLiteral("is %1 bytes long; only %2 (320x240) and %3 (640x480) have a known "
                                   "size (give --size WxH)")
                        .arg(length)
                        .arg(SmallBinLength)
                        .arg(LargeBinLength)};
    }
    const QImage image = binToImage(bytes, *size);
    if (image.isNull())
        return {QImage(), QStringLiteral("%1 is too large a picture").arg(sizeText(*size))};
    return {image, QString()};
}

int runShow(const Arguments &args, std::FILE *err)
{
    const QString input = args.inputs.constFirst();
    const bool toStandardOutput = args.output == StandardStream;
    const QString output = args.output.isEmpty() ? withExtension(input, QStringLiteral("png")) : args.output;
    // Standard output takes PNG: a stream has no name to tell a format from.
    const QString format = toStandardOutput ? QStringLiteral("png") : lowerSuffix(output);
    if (format != QLatin1String("bmp") &&
        !QImageWriter::supportedImageFormats().contains(format.toLatin1())) {
        printUsageError(err,
                        QStringLiteral("cannot tell a picture format from the name %1 (use .png or .bmp)")
                            .arg(quoteName(output)));
        return UsageError;
    }
    const auto fail = [&](const QString &reason) {
        printLine(err, errorLine(input, reason));
        return SomeFailed;
    };
    if (!isRepresentable(input))
        return fail(unrepresentableName());
    // A picture of that name may be the user's own (show a.BIN beside the a.png it came from).
    if (args.output.isEmpty() && !args.force && QFileInfo(output).exists())
        return fail(QStringLiteral("%1 already exists; not replaced (name it with -o, or give --force)")
                        .arg(quoteName(output)));

    QByteArray bytes;
    if (input == StandardStream) {
        const QString problem = readStandardInput(bytes, LongestBinBytes);
        if (!problem.isEmpty())
            return fail(problem);
    } else {
        ReadFile file = readRegularFile(input, LongestBinBytes);
        if (file.problem.cause == Problem::Cause::FileTooLong)
            return fail(
                QStringLiteral("is longer than %1 bytes, too long for a BIN file").arg(LongestBinBytes));
        if (!file.ok())
            return fail(QStringLiteral("cannot open: %1").arg(englishReason(file.problem)));
        bytes = std::move(file.bytes);
    }

    const RenderedBin rendered = renderBin(bytes, args.size);
    if (rendered.image.isNull())
        return fail(rendered.error);
    if (!toStandardOutput && sameFile(input, output))
        return fail(QStringLiteral("the output %1 is the input; not overwritten").arg(quoteName(output)));

    QByteArray encoded;
    if (format == QLatin1String("bmp")) {
        encoded = encodeBmp24(rendered.image);
    } else {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format.toLatin1());
        clearLibraryMessages();
        if (!writer.write(rendered.image))
            return fail(QStringLiteral("cannot encode %1: %2").arg(quoteName(output), writer.errorString()));
    }
    if (toStandardOutput) {
        const QString problem = writeStandardOutput(encoded);
        return problem.isEmpty() ? AllDone : fail(problem);
    }
    if (const Problem problem = saveBytes(output, encoded))
        return fail(QStringLiteral("cannot write %1: %2").arg(quoteName(output), englishReason(problem)));
    return AllDone;
}

namespace {

QString describeBin(qint64 length)
{
    const auto geometry = binGeometry(length);
    return geometry ? QStringLiteral("BIN %1 (%2 bytes)").arg(sizeText(*geometry)).arg(length)
                    : QStringLiteral("BIN of %1 bytes, no known size").arg(length);
}

// Read as convert --fit reads it, so that what info calls a picture converts: checked as fully, and a
// large photograph shrunk while it is decoded.
PictureOptions infoOptions()
{
    PictureOptions options;
    options.fitInto = QSize(MaxPictureWidth, MaxPictureHeight);
    return options;
}

// What content of `length` bytes is, from its load as a picture.
FileInfoLine describeLoaded(const PictureLoad &load, qint64 length)
{
    if (load.loaded()) {
        QString text =
            QStringLiteral("picture %1 %2").arg(sizeText(load.size), QString::fromLatin1(load.format));
        if (!withinSizeLimit(load.size.width(), load.size.height()))
            text += QStringLiteral(" (larger than %1x%2: convert with --fit)")
                        .arg(MaxPictureWidth)
                        .arg(MaxPictureHeight);
        return {text, QString()};
    }
    if (!load.format.isEmpty()) {
        const QString said = takeLibraryMessages();
        return {QString(), QStringLiteral("cannot read the picture: %1").arg(englishReason(load.problem)) +
                               (said.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(said))};
    }
    if (binGeometry(length))
        return {describeBin(length), QString()};
    return {QString(), QStringLiteral("neither a picture nor a BIN file of a known length")};
}

} // namespace

FileInfoLine describeFile(const QString &path)
{
    if (!isRepresentable(path))
        return {QString(), unrepresentableName()};
    // Opened before anything else: only a plain file has a length worth telling.
    const OpenedFile opened = openRegularFile(path);
    // The system's own words say that it could not be opened; a cause of ours says what the file is.
    if (!opened.problem.detail.isEmpty())
        return {QString(), QStringLiteral("cannot open: %1").arg(opened.problem.detail)};
    if (!opened.ok())
        return {QString(), englishReason(opened.problem)};
    const qint64 fileLength = opened.file->size();

    if (namedAsBin(path))
        return {describeBin(fileLength), QString()};
    clearLibraryMessages();
    return describeLoaded(loadPicture(opened.file.get(), infoOptions()), fileLength);
}

namespace {

// Standard input read whole (it can be read only once), then taken as a picture or a BIN file.
FileInfoLine describeStandardInput()
{
    QByteArray bytes;
    const QString problem = readStandardInput(bytes, std::max(LongestPictureBytes, LongestBinBytes));
    if (!problem.isEmpty())
        return {QString(), problem};
    clearLibraryMessages();
    return describeLoaded(loadPicture(bytes, infoOptions()), bytes.size());
}

} // namespace

int runInfo(const Arguments &args, std::FILE *out, std::FILE *err)
{
    int status = AllDone;
    for (const QString &path : args.inputs) {
        const FileInfoLine line = path == StandardStream ? describeStandardInput() : describeFile(path);
        if (!line.error.isEmpty()) {
            std::fflush(out);
            printLine(err, errorLine(path, line.error));
            // The other files are still described; the status tells that one was not.
            status = SomeFailed;
            continue;
        }
        printLine(out, QStringLiteral("%1: %2").arg(quoteName(path), line.text));
    }
    return status;
}

} // namespace lumivert::cli
