#include "core/files/fileidentity.h"

#include "core/files/windowsfiles.h"
#include "core/platform.h"

#include <QFile>
#include <QFileInfo>

#if LUMIVERT_POSIX
#include <sys/stat.h>
#endif

namespace lumivert {

namespace {

#if LUMIVERT_POSIX
std::optional<FileId> systemFileId(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // The system would stop reading the name at a NUL and look at another file.
    if (name.contains('\0'))
        return std::nullopt;
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino), QString()};
}
#endif

// Without inode numbers (Windows reports 0 for every file) a file is known by its canonical path. Hard
// links then count as different files.
std::optional<FileId> pathFileId(const QString &path)
{
    if (path.contains(QChar(u'\0')))
        return std::nullopt;
    QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    // The usual file systems of these platforms ignore letter case in names.
    canonical = canonical.toCaseFolded();
#endif
    return FileId{0, 0, canonical};
}

} // namespace

std::optional<FileId> fileId(const QString &path)
{
#if LUMIVERT_POSIX
    const auto id = systemFileId(path);
    // A file system without inode numbers reports 0 for every file.
    if (!id || id->inode != 0)
        return id;
#elif defined(Q_OS_WIN) && !defined(LUMIVERT_QT_ONLY)
    if (const auto id = windowsFileId(path))
        return id;
#endif
    return pathFileId(path);
}

bool sameFile(const QString &a, const QString &b)
{
    const auto idA = fileId(a);
    return idA && idA == fileId(b);
}

} // namespace lumivert
