#include "cli/commands.h"

#include "cli/conversion.h"
#include "cli/plan.h"
#include "cli/reporter.h"
#include "cli/runner.h"
#include "core/binformat.h"
#include "core/fileidentity.h"
#include "core/fitting.h"
#include "core/pictureloader.h"
#include "core/savefile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QThread>

namespace lumivert::cli {

namespace {

// Nothing longer is taken for a BIN file: a 640 x 480 one is 300 KiB.
constexpr qint64 LongestBin = 64 * 1024 * 1024;

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
    const int jobs = args.jobs > 0 ? args.jobs : QThread::idealThreadCount();

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
    const QString output = args.output.isEmpty() ? withExtension(input, QStringLiteral("png")) : args.output;
    const QString format = lowerSuffix(output);
    if (format != QLatin1String("bmp") &&
        !QImageWriter::supportedImageFormats().contains(format.toLatin1())) {
        printUsageError(
            err,
            QStringLiteral("cannot tell a picture format from the name %1 (use .png or .bmp)").arg(output));
        return UsageError;
    }
    const auto fail = [&](const QString &reason) {
        printLine(err, errorLine(input, reason));
        return SomeFailed;
    };

    QFile file(input);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot open: %1").arg(file.errorString()));
    if (file.size() > LongestBin)
        return fail(QStringLiteral("is %1 bytes long, too long for a BIN file").arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("cannot read: %1").arg(file.errorString()));
    file.close();

    const RenderedBin rendered = renderBin(bytes, args.size);
    if (rendered.image.isNull())
        return fail(rendered.error);
    if (sameFile(input, output))
        return fail(QStringLiteral("the output %1 is the input; not overwritten").arg(output));

    QByteArray encoded;
    if (format == QLatin1String("bmp")) {
        encoded = encodeBmp24(rendered.image);
    } else {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format.toLatin1());
        if (!writer.write(rendered.image))
            return fail(QStringLiteral("cannot encode %1: %2").arg(output, writer.errorString()));
    }
    const QString problem = saveBytes(output, encoded);
    if (!problem.isEmpty())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, problem));
    return AllDone;
}

FileInfoLine describeFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {QString(), QStringLiteral("no such file")};
    if (info.isDir())
        return {QString(), QStringLiteral("is a folder")};

    const auto describeBin = [](qint64 length) {
        const auto geometry = binGeometry(length);
        return geometry ? QStringLiteral("BIN %1 (%2 bytes)").arg(sizeText(*geometry)).arg(length)
                        : QStringLiteral("BIN of %1 bytes, no known size").arg(length);
    };
    if (lowerSuffix(path) == QLatin1String("bin"))
        return {describeBin(info.size()), QString()};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QString(), QStringLiteral("cannot open: %1").arg(file.errorString())};
    // Read as convert --fit reads it, so that what this calls a picture converts: checked as fully,
    // and a large photograph shrunk while it is decoded.
    PictureOptions options;
    options.fitInto = QSize(MaxPictureWidth, MaxPictureHeight);
    const PictureLoad load = loadPicture(&file, options);
    if (load.loaded()) {
        QString text =
            QStringLiteral("picture %1 %2").arg(sizeText(load.size), QString::fromLatin1(load.format));
        if (!withinSizeLimit(load.size.width(), load.size.height()))
            text += QStringLiteral(" (larger than %1x%2: convert with --fit)")
                        .arg(MaxPictureWidth)
                        .arg(MaxPictureHeight);
        return {text, QString()};
    }
    if (!load.format.isEmpty())
        return {QString(), QStringLiteral("cannot read the picture: %1").arg(load.error)};
    if (binGeometry(info.size()))
        return {describeBin(info.size()), QString()};
    return {QString(), QStringLiteral("neither a picture nor a BIN file of a known length")};
}

int runInfo(const Arguments &args, std::FILE *out, std::FILE *err)
{
    int status = AllDone;
    for (const QString &path : args.inputs) {
        const FileInfoLine line = describeFile(path);
        if (!line.error.isEmpty()) {
            std::fflush(out);
            printLine(err, errorLine(path, line.error));
            // The other files are still described; the status tells that one was not.
            status = SomeFailed;
            continue;
        }
        printLine(out, QStringLiteral("%1: %2").arg(path, line.text));
    }
    return status;
}

} // namespace lumivert::cli
