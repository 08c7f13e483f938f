#include "cli/plan.h"

#include "cli/names.h"
#include "cli/reporter.h"
#include "core/files/fileidentity.h"
#include "core/files/outputrule.h"
#include "core/files/regularfile.h"
#include "core/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#if LUMIVERT_POSIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace lumivert::cli {

namespace {

qsizetype extensionDot(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? dot : -1;
}

// Where the name begins in a path.
qsizetype nameStart(const QString &path, PathStyle style)
{
    qsizetype end = path.lastIndexOf(QLatin1Char('/'));
    if (style == PathStyle::Windows) {
        end = std::max(end, path.lastIndexOf(QLatin1Char('\\')));
        if (end < 0 && path.size() >= 2 && path.at(1) == QLatin1Char(':'))
            end = 1; // C:photo
    }
    return end + 1;
}

bool isDirectory(const QString &path)
{
#if LUMIVERT_POSIX
    struct stat st;
    return ::stat(nameBytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
#else
    return QFileInfo(path).isDir();
#endif
}

} // namespace

QString unrepresentableName()
{
    return QStringLiteral("the name is not valid UTF-8, so the file cannot be opened by it");
}

namespace {

void collectPictures(const QString &folder, bool recursive, const QStringList &extensions,
                     FolderPictures &found)
{
    QStringList unrepresentable;
    const QString why = readFolder(folder, &unrepresentable);
    if (!why.isEmpty()) {
        found.problems.push_back({folder, QStringLiteral("cannot read the folder: %1").arg(why)});
        return;
    }
    for (const QString &name : std::as_const(unrepresentable)) {
        const QString path = QDir(folder).filePath(name);
        const bool isFolder = isDirectory(path);
        if (!name.startsWith(QLatin1Char('.')) &&
            (isFolder ? recursive : hasPictureExtension(name, extensions)))
            found.problems.push_back({path, unrepresentableName()});
    }
    // System entries too: a FIFO, socket or dangling link named like a picture is told, not skipped.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.filePath();
        const bool wanted = entry.isDir() ? recursive : hasPictureExtension(entry.fileName(), extensions);
        if (!wanted)
            continue;
        if (isDanglingLink(path))
            found.problems.push_back({path, englishReason(Problem::Cause::DanglingLink)});
        else if (const Problem::Cause kind = fileKind(path);
                 kind != Problem::Cause::None && kind != Problem::Cause::Folder)
            found.problems.push_back({path, englishReason(kind)});
        else if (!entry.isDir())
            found.pictures.append(path);
        else if (!entry.isSymLink()) // a link may lead back up the tree
            collectPictures(path, recursive, extensions, found);
    }
}

} // namespace

QString outputRefusal(const QString &output, const Problem &problem)
{
    const QString name = quoteName(output);
    switch (problem.cause) {
    case Problem::Cause::OutputIsInput:
        return QStringLiteral("its output %1 is an input; not overwritten").arg(name);
    case Problem::Cause::OutputHoldsPicture:
        return QStringLiteral("its output %1 is a picture, not a BIN file; not overwritten").arg(name);
    case Problem::Cause::OutputClaimedTwice:
        return QStringLiteral("its output %1 is also the output of %2").arg(name, quoteName(problem.detail));
    default:
        return QStringLiteral("its output %1 %2; not written").arg(name, englishReason(problem));
    }
}

QString withExtension(const QString &fileName, const QString &extension, PathStyle style)
{
    const qsizetype start = nameStart(fileName, style);
    const qsizetype dot = extensionDot(fileName.mid(start));
    return (dot < 0 ? fileName : fileName.left(start + dot)) + QLatin1Char('.') + extension;
}

QString binFileName(const QString &fileName, PathStyle style)
{
    return withExtension(fileName, QStringLiteral("BIN"), style);
}

QString binOutputPath(const QString &picture, const QString &foundIn, const QString &outDir, PathStyle style)
{
    const qsizetype start = nameStart(picture, style);
    const QString name = binFileName(picture.mid(start), style);
    if (outDir.isEmpty())
        return picture.left(start) + name; // the folder part kept as it was written
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

QString readFolder(const QString &folder, QStringList *unrepresentable)
{
#if LUMIVERT_POSIX
    DIR *dir = ::opendir(nameBytes(folder).constData());
    if (!dir)
        return QString::fromLocal8Bit(std::strerror(errno));
    while (const dirent *entry = ::readdir(dir)) {
        const QString name = decodeArgument(QByteArray(entry->d_name));
        if (!isRepresentable(name))
            unrepresentable->append(name);
    }
    ::closedir(dir);
    return {};
#else
    // Windows' names are UTF-16, and Qt lists them all; Qt alone cannot tell a name that is not UTF-8.
    Q_UNUSED(unrepresentable);
    return QDir(folder).isReadable() ? QString() : QStringLiteral("permission denied");
#endif
}

FolderPictures picturesInFolder(const QString &folder, bool recursive, const QStringList &extensions)
{
    FolderPictures found;
    collectPictures(folder, recursive, extensions, found);
    std::sort(found.pictures.begin(), found.pictures.end());
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
    // Canonical paths: a file named twice, through a link or, on Windows, in another letter case is
    // taken once.
    std::set<QString> named;

    for (const QString &arg : inputs) {
        if (arg == StandardStream) {
            candidates.push_back({arg, {}});
            continue;
        }
        if (!isRepresentable(arg)) {
            plan.problems.push_back({arg, unrepresentableName()});
            continue;
        }
        const QFileInfo info(arg);
        if (!info.exists()) {
            plan.problems.push_back({arg, QStringLiteral("no such file or folder")});
            continue;
        }
        QStringList files;
        QString foundIn;
        if (info.isDir()) {
            if (!output.isEmpty()) {
                plan.usageError =
                    QStringLiteral("-o names one output, but %1 is a folder").arg(quoteName(arg));
                return plan;
            }
            FolderPictures found = picturesInFolder(arg, recursive, extensions);
            files = found.pictures;
            foundIn = arg;
            if (files.isEmpty() && found.problems.empty())
                plan.problems.push_back({arg, QStringLiteral("no pictures in this folder")});
            for (PlanProblem &p : found.problems)
                plan.problems.push_back(std::move(p));
        } else {
            files.append(arg);
        }
        for (const QString &file : files) {
            QString canonical = QFileInfo(file).canonicalFilePath();
#ifdef Q_OS_WIN
            canonical = canonical.toCaseFolded();
#endif
            if (!named.insert(canonical).second)
                continue;
            candidates.push_back({file, foundIn});
        }
    }

    OutputRule rule;
    for (const QString &input : inputs) {
        if (input != StandardStream)
            rule.protect(input);
    }
    for (const Candidate &c : candidates)
        rule.protect(c.input);
    for (const Candidate &c : candidates) {
        const QString out = output.isEmpty() ? binOutputPath(c.input, c.foundIn, outDir) : output;
        if (out == StandardStream) {
            plan.conversions.push_back({c.input, out});
            continue;
        }
        if (const Problem problem = rule.claim(out, OutputRule::Kind::Bin, c.input)) {
            plan.problems.push_back({c.input, outputRefusal(out, problem)});
            continue;
        }
        plan.conversions.push_back({c.input, out});
    }
    return plan;
}

} // namespace lumivert::cli
