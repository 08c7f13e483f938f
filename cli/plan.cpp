#include "cli/plan.h"

#include "cli/names.h"
#include "core/fileidentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#ifdef Q_OS_UNIX
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
#ifdef Q_OS_UNIX
    struct stat st;
    return ::stat(nameBytes(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
#else
    return QFileInfo(path).isDir();
#endif
}

// Whether a file begins as a picture does. A BIN file has no header, so its first bytes could be
// anything; the signatures are long enough that a BIN file written by this program is not taken for
// one by chance, except that it may begin with "BM", so a BMP's own length must agree too.
bool looksLikePicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    const auto starts = [&](QByteArrayView signature, qsizetype at = 0) {
        return head.mid(at).startsWith(signature);
    };
    if (starts("BM") && head.size() >= 6) {
        const quint32 length = quint32(uchar(head[2])) | quint32(uchar(head[3])) << 8 |
                               quint32(uchar(head[4])) << 16 | quint32(uchar(head[5])) << 24;
        return length == quint64(file.size());
    }
    return starts("\x89PNG\r\n\x1a\n") || starts("\xff\xd8\xff") || starts("GIF87a") || starts("GIF89a") ||
           (starts("RIFF") && starts("WEBP", 8)) || starts({"II*\0", 4}) || starts({"MM\0*", 4});
}

QString unrepresentableName()
{
    return QStringLiteral("the name is not valid UTF-8, so the file cannot be opened by it");
}

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
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.filePath();
        const bool wanted = entry.isDir() ? recursive : hasPictureExtension(entry.fileName(), extensions);
        if (!wanted)
            continue;
        if (!entry.isDir())
            found.pictures.append(path);
        else if (!entry.isSymLink()) // a link may lead back up the tree
            collectPictures(path, recursive, extensions, found);
    }
}

QString swappedCase(const QString &name)
{
    QString swapped = name;
    for (QChar &c : swapped)
        c = c.isUpper() ? c.toLower() : c.toUpper();
    return swapped;
}

// Whether names in this existing folder are compared without regard to case: the folder (or the
// nearest folder above with a letter in its name) found again under its name in the other case.
bool ignoresCase(const QString &canonicalFolder)
{
    static std::map<QString, bool> known;
    const auto it = known.find(canonicalFolder);
    if (it != known.end())
        return it->second;
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    bool result = true;
#else
    bool result = false;
#endif
    for (QString f = canonicalFolder; !QDir(f).isRoot() && !f.isEmpty(); f = QFileInfo(f).path()) {
        const QFileInfo info(f);
        const QString swapped = QDir(info.path()).filePath(swappedCase(info.fileName()));
        if (swapped != f) {
            result = sameFile(f, swapped);
            break;
        }
    }
    known.emplace(canonicalFolder, result);
    return result;
}

} // namespace

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
#ifdef Q_OS_UNIX
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
    Q_UNUSED(unrepresentable); // the system's names are UTF-16 there, and Qt lists them all
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

QString outputKey(const QString &path)
{
    // The folders that do not exist yet are taken as written; the rest is resolved.
    QString existing = QFileInfo(path).absolutePath();
    QStringList missing;
    while (!QFileInfo(existing).isDir() && !QDir(existing).isRoot()) {
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    QString name = QFileInfo(path).fileName();
    if (missing.isEmpty() && ignoresCase(canonical))
        name = name.toCaseFolded();
    missing.append(name);
    return QDir::cleanPath(canonical + QLatin1Char('/') + missing.join(QLatin1Char('/')));
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
    std::set<QString> named;   // canonical paths: a file named twice, or through a link, is taken once
    std::set<FileId> inputIds; // every input, hard links included, is kept from being overwritten

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
            if (!named.insert(QFileInfo(file).canonicalFilePath()).second)
                continue;
            if (const auto id = fileId(file))
                inputIds.insert(*id);
            candidates.push_back({file, foundIn});
        }
    }

    std::map<QString, QString> claimedBy; // output key -> the input writing it
    std::map<FileId, QString> existingClaimedBy;
    for (const Candidate &c : candidates) {
        const QString out = output.isEmpty() ? binOutputPath(c.input, c.foundIn, outDir) : output;
        if (out == StandardStream) {
            plan.conversions.push_back({c.input, out});
            continue;
        }
        const auto outId = fileId(out);
        if (outId && inputIds.count(*outId)) {
            plan.problems.push_back(
                {c.input, QStringLiteral("its output %1 is an input; not overwritten").arg(quoteName(out))});
            continue;
        }
        if (outId && output.isEmpty() && looksLikePicture(out)) {
            plan.problems.push_back(
                {c.input, QStringLiteral("its output %1 is a picture, not a BIN file; not overwritten")
                              .arg(quoteName(out))});
            continue;
        }
        const auto clash = [&](const QString &other) {
            plan.problems.push_back({c.input, QStringLiteral("its output %1 is also the output of %2")
                                                  .arg(quoteName(out), quoteName(other))});
        };
        const auto [it, fresh] = claimedBy.emplace(outputKey(out), c.input);
        if (!fresh) {
            clash(it->second);
            continue;
        }
        if (outId) {
            const auto [same, freshId] = existingClaimedBy.emplace(*outId, c.input);
            if (!freshId) {
                clash(same->second);
                continue;
            }
        }
        plan.conversions.push_back({c.input, out});
    }
    return plan;
}

} // namespace lumivert::cli
