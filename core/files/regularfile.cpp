#include "core/files/regularfile.h"

#include "core/files/windowsfiles.h"
#include "core/platform.h"

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
    Problem problem = systemProblem(error);
    switch (problem.cause) {
    case Problem::Cause::Missing:
    case Problem::Cause::NoPermission:
        // Said well enough by the cause alone.
        return refused(problem.cause);
    case Problem::Cause::SystemError:
        // A socket, or a device without its driver: said better by what the file is.
        if (error == ENXIO || error == EOPNOTSUPP) {
            struct stat st;
            if (::stat(name.constData(), &st) == 0 && kindOf(st.st_mode) != Problem::Cause::None)
                return refused(kindOf(st.st_mode));
        }
        break;
    default:
        break;
    }
    return refused(std::move(problem));
}

Problem::Cause kindByName(const QByteArray &name)
{
    struct stat st;
    if (::stat(name.constData(), &st) == 0)
        return kindOf(st.st_mode);
    return errno == ENOENT || errno == ENOTDIR ? Problem::Cause::Missing : Problem::Cause::None;
}

OpenedFile openPlatform(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return refused(Problem::Cause::Missing);
    // What is not a plain file is not even opened: opening /dev/ptmx makes a terminal, a tape rewinds.
    if (const Problem::Cause kind = kindByName(name);
        kind != Problem::Cause::None && kind != Problem::Cause::Missing)
        return refused(kind);
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

ReadFile readDevice(QIODevice &file, qint64 limit)
{
    ReadFile result;
    constexpr qint64 Chunk = 1024 * 1024;
    for (;;) {
        const qint64 wanted = qMin(Chunk, limit + 1 - result.bytes.size());
        if (wanted <= 0)
            break;
        const QByteArray chunk = file.read(wanted);
        const auto *asFile = qobject_cast<const QFileDevice *>(&file);
        if (asFile && asFile->error() != QFileDevice::NoError) {
            result.bytes.clear();
            result.problem = Problem(Problem::Cause::SystemError, file.errorString());
            return result;
        }
        if (chunk.isEmpty())
            break;
        result.bytes.append(chunk);
    }
    // One byte more than allowed tells a file that is too long, whatever its size claims.
    if (result.bytes.size() > limit) {
        result.bytes.clear();
        result.problem = Problem::Cause::FileTooLong;
    }
    return result;
}

ReadFile readStandardInput(qint64 limit)
{
#if LUMIVERT_POSIX
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) == 0) {
        // A terminal would wait for typing, /dev/zero never ends; a pipe, socket or file is read.
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
            ReadFile refusedInput;
            refusedInput.problem = Problem::Cause::Device;
            return refusedInput;
        }
        if (S_ISDIR(st.st_mode)) {
            ReadFile refusedInput;
            refusedInput.problem = Problem::Cause::Folder;
            return refusedInput;
        }
    }
#endif
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        ReadFile failed;
        failed.problem = Problem(Problem::Cause::SystemError, in.errorString());
        return failed;
    }
    return readDevice(in, limit);
}

Problem::Cause fileKind(const QString &path)
{
#if LUMIVERT_POSIX
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return Problem::Cause::Missing;
    return kindByName(name);
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Problem::Cause::Missing;
    if (info.isDir())
        return Problem::Cause::Folder;
    return info.isFile() ? Problem::Cause::None : Problem::Cause::NotRegular;
#endif
}

bool isDanglingLink(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() && !info.exists();
}

OpenedFile openRegularFile(const QString &path)
{
    return openPlatform(path);
}

ReadFile readRegularFile(const QString &path, qint64 limit)
{
    OpenedFile opened = openRegularFile(path);
    if (!opened.ok()) {
        ReadFile result;
        result.problem = std::move(opened.problem);
        return result;
    }
    return readDevice(*opened.file, limit);
}

} // namespace lumivert
