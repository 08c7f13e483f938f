#include "cli/plan.h"

#include "core/fileidentity.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <map>
#include <set>

namespace lumivert::cli {

namespace {

qsizetype extensionDot(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : -1;
}

} // namespace

QString withExtension(const QString &fileName, const QString &extension)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = extensionDot(fileName.mid(slash + 1));
    return (dot < 0 ? fileName : fileName.left(slash + 1 + dot)) + QLatin1Char('.') + extension;
}

QString binFileName(const QString &fileName)
{
    return withExtension(fileName, QStringLiteral("BIN"));
}

QString binOutputPath(const QString &picture, const QString &foundIn, const QString &outDir)
{
    const qsizetype slash = picture.lastIndexOf(QLatin1Char('/'));
    const QString name = binFileName(picture.mid(slash + 1));
    if (outDir.isEmpty())
        return picture.left(slash + 1) + name; // the folder part kept as it was written
    if (foundIn.isEmpty())
        return QDir(outDir).filePath(name);
    const QString relativeFolder =
        QDir(QFileInfo(foundIn).absoluteFilePath()).relativeFilePath(QFileInfo(picture).absolutePath());
    return QDir::cleanPath(QDir(outDir).filePath(relativeFolder + QLatin1Char('/') + name));
}

bool hasPictureExtension(const QString &fileName, const QStringList &extensions)
{
    const qsizetype dot = extensionDot(fileName);
    return dot >= 0 && extensions.contains(fileName.mid(dot + 1).toLower());
}

QStringList picturesInFolder(const QString &folder, bool recursive, const QStringList &extensions)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QString path = it.next();
        if (hasPictureExtension(it.fileName(), extensions))
            found.append(path);
    }
    std::sort(found.begin(), found.end());
    return found;
}

QStringList readableExtensions()
{
    QStringList extensions;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        extensions.append(QString::fromLatin1(format).toLower());
    return extensions;
}

ConversionPlan planConversions(const QStringList &inputs, const QString &output, const QString &outDir,
                               bool recursive, const QStringList &extensions)
{
    ConversionPlan plan;
    struct Candidate
    {
        QString input;
        QString foundIn;
    };
    std::vector<Candidate> candidates;
    std::set<FileId> inputIds;

    for (const QString &arg : inputs) {
        const QFileInfo info(arg);
        if (!info.exists()) {
            plan.problems.push_back({arg, QStringLiteral("no such file or folder")});
            continue;
        }
        QStringList files;
        QString foundIn;
        if (info.isDir()) {
            if (!output.isEmpty()) {
                plan.usageError = QStringLiteral("-o names one output, but %1 is a folder").arg(arg);
                return plan;
            }
            files = picturesInFolder(arg, recursive, extensions);
            foundIn = arg;
            if (files.isEmpty())
                plan.problems.push_back({arg, QStringLiteral("no pictures in this folder")});
        } else {
            files.append(arg);
        }
        for (const QString &file : files) {
            const auto id = fileId(file);
            if (id && !inputIds.insert(*id).second)
                continue; // named twice, converted once
            candidates.push_back({file, foundIn});
        }
    }

    std::map<QString, QString> claimedBy; // absolute output -> the input writing it
    for (const Candidate &c : candidates) {
        const QString out = output.isEmpty() ? binOutputPath(c.input, c.foundIn, outDir) : output;
        const auto outId = fileId(out);
        if (outId && inputIds.count(*outId)) {
            plan.problems.push_back(
                {c.input, QStringLiteral("its output %1 is an input; not overwritten").arg(out)});
            continue;
        }
        const QString key = QFileInfo(out).absoluteFilePath();
        const auto [it, fresh] = claimedBy.emplace(key, c.input);
        if (!fresh) {
            plan.problems.push_back(
                {c.input, QStringLiteral("its output %1 is also the output of %2").arg(out, it->second)});
            continue;
        }
        plan.conversions.push_back({c.input, out});
    }
    return plan;
}

} // namespace lumivert::cli
