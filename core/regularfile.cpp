#include "core/regularfile.h"

#include "core/platform.h"
#include "core/windowsfiles.h"

#include <QFileInfo>

#include <utility>

#if LUMIVERT_POSIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lumivert {

namespace {

OpenedFile refused(Problem problem)
{
    OpenedFile result;
    result.problem = std::move(problem);
    return result;
}

#if LUMIVERT_POSIX

Problem::Cause kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return Problem::Cause::None;
    if (S_ISDIR(mode))
        return Problem::Cause::Folder;
    if (S_ISFIFO(mode))
        return Problem::Cause::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Problem::Cause::Device;
    if (S_ISSOCK(mode))
        return Problem::Cause::Socket;
    return Problem::Cause::NotRegular;
}

OpenedFile openFailed(const QByteArray &name, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return refused(Problem::Cause::Missing);
    case EACCES:
    case EPERM:
        return refused(Problem::Cause::NoPermission);
    case ENXIO: // a socket, or a device without its driver
    case EOPNOTSUPP: {
        struct stat st;
        if (::stat(name.constData(), &st) == 0 && kindOf(st.st_mode) != Problem::Cause::None)
            return refused(kindOf(st.st_mode));
        break;
    }
    default:
        break;
    }
    return refused(systemProblem(error));
}

OpenedFile openPlatform(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return refused(Problem::Cause::Missing);
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
        return refused(systemProblem(error));
    }
    if (const Problem::Cause kind = kindOf(st.st_mode); kind != Problem::Cause::None) {
        ::close(fd);
        return refused(kind);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    OpenedFile result;
    result.file = std::make_unique<QFile>();
    if (!result.file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(Problem(Problem::Cause::SystemError, result.file->errorString()));
    }
    return result;
}

#else

// Without descriptors to check, the kind is checked by name just before opening.
OpenedFile openPlatform(const QString &path)
{
    if (isDeviceNameHere(path))
        return refused(Problem::Cause::Device);
    const QFileInfo info(path);
    if (!info.exists())
        return refused(Problem::Cause::Missing);
    if (info.isDir())
        return refused(Problem::Cause::Folder);
    if (!info.isFile())
        return refused(Problem::Cause::NotRegular);
    OpenedFile result;
    result.file = std::make_unique<QFile>(path);
    if (!result.file->open(QIODevice::ReadOnly)) {
        const bool denied = result.file->error() == QFileDevice::PermissionsError;
        return refused(denied ? Problem(Problem::Cause::NoPermission)
                              : Problem(Problem::Cause::SystemError, result.file->errorString()));
    }
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
        result.problem = std::move(opened.problem);
        return result;
    }
    // One byte more than allowed tells a file that is too long, whatever its size claims.
    result.bytes = opened.file->read(limit + 1);
    if (opened.file->error() != QFileDevice::NoError) {
        result.bytes.clear();
        result.problem = Problem(Problem::Cause::SystemError, opened.file->errorString());
        return result;
    }
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.problem = Problem::Cause::FileTooLong;
    }
    return result;
}

} // namespace lumivert
