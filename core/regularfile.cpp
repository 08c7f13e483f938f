#include "core/regularfile.h"

#include "core/platform.h"

#include <QFileInfo>

#if LUMIVERT_POSIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumivert {

namespace {

OpenedFile refused(FileRefusal refusal, const QString &error = {})
{
    OpenedFile result;
    result.refusal = refusal;
    result.error = error;
    return result;
}

#if LUMIVERT_POSIX

FileRefusal kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return FileRefusal::None;
    if (S_ISDIR(mode))
        return FileRefusal::Folder;
    if (S_ISFIFO(mode))
        return FileRefusal::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return FileRefusal::Device;
    if (S_ISSOCK(mode))
        return FileRefusal::Socket;
    return FileRefusal::NotRegular;
}

OpenedFile openFailed(const QByteArray &name, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return refused(FileRefusal::Missing);
    case EACCES:
    case EPERM:
        return refused(FileRefusal::NoPermission);
    case ENXIO: // a socket, or a device without its driver
    case EOPNOTSUPP: {
        struct stat st;
        if (::stat(name.constData(), &st) == 0 && kindOf(st.st_mode) != FileRefusal::None)
            return refused(kindOf(st.st_mode));
        break;
    }
    default:
        break;
    }
    return refused(FileRefusal::Unreadable, qt_error_string(error));
}

OpenedFile openPlatform(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return refused(FileRefusal::Missing);
    // Without blocking: opening a FIFO for reading would wait for a writer.
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return openFailed(name, errno);
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return refused(FileRefusal::Unreadable, qt_error_string(error));
    }
    if (const FileRefusal kind = kindOf(st.st_mode); kind != FileRefusal::None) {
        ::close(fd);
        return refused(kind);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    OpenedFile result;
    result.file = std::make_unique<QFile>();
    if (!result.file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(FileRefusal::Unreadable, result.file->errorString());
    }
    result.refusal = FileRefusal::None;
    return result;
}

#else

// Without descriptors to check, the kind is checked by name just before opening.
OpenedFile openPlatform(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refused(FileRefusal::Missing);
    if (info.isDir())
        return refused(FileRefusal::Folder);
    if (!info.isFile())
        return refused(FileRefusal::NotRegular);
    OpenedFile result;
    result.file = std::make_unique<QFile>(path);
    if (!result.file->open(QIODevice::ReadOnly)) {
        const bool denied = result.file->error() == QFileDevice::PermissionsError;
        return refused(denied ? FileRefusal::NoPermission : FileRefusal::Unreadable,
                       result.file->errorString());
    }
    result.refusal = FileRefusal::None;
    return result;
}

#endif

} // namespace

OpenedFile openRegularFile(const QString &path)
{
    return openPlatform(path);
}

ReadFile readRegularFile(const QString &path, qint64 limit)
{
    ReadFile result;
    OpenedFile opened = openRegularFile(path);
    if (!opened.ok()) {
        result.refusal = opened.refusal;
        result.error = opened.error;
        return result;
    }
    // One byte more than allowed tells a file that is too long, whatever its size claims.
    result.bytes = opened.file->read(limit + 1);
    if (opened.file->error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.error = opened.file->errorString();
        return result;
    }
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.refusal = FileRefusal::TooLarge;
        return result;
    }
    result.refusal = FileRefusal::None;
    return result;
}

QString refusalReason(FileRefusal refusal, const QString &systemError)
{
    switch (refusal) {
    case FileRefusal::None:
        return {};
    case FileRefusal::Missing:
        return QStringLiteral("no such file");
    case FileRefusal::NoPermission:
        return QStringLiteral("no permission to read it");
    case FileRefusal::Folder:
        return QStringLiteral("is a folder");
    case FileRefusal::Fifo:
        return QStringLiteral("is a FIFO, not a file");
    case FileRefusal::Device:
        return QStringLiteral("is a device, not a file");
    case FileRefusal::Socket:
        return QStringLiteral("is a socket, not a file");
    case FileRefusal::NotRegular:
        return QStringLiteral("is not a plain file");
    case FileRefusal::TooLarge:
        return QStringLiteral("is too long");
    case FileRefusal::Unreadable:
        break;
    }
    return systemError.isEmpty() ? QStringLiteral("cannot be read") : systemError;
}

} // namespace lumivert
