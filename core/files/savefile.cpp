#include "core/files/savefile.h"

#include "core/files/windowsfiles.h"
#include "core/formats/bmpfile.h"
#include "core/platform.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#if LUMIVERT_POSIX
#include <QRandomGenerator>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace lumivert {

namespace {

#if LUMIVERT_POSIX

// Links that lead on further than this are taken for a loop, as the system does.
constexpr int MostLinks = 40;

int writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO; // a device that takes nothing
        done += n;
    }
    return 0;
}

// Follows `path` through its symbolic links to the file they lead to, which need not exist yet:
// that file is the one replaced, and the links stay links.
int followLinks(QByteArray &path)
{
    for (int hops = 0; hops <= MostLinks; ++hops) {
        struct stat st;
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0; // whatever is wrong with it shows when it is written
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return errno;
        if (n == target.size())
            return ENAMETOOLONG;
        target.truncate(n);
        if (!target.startsWith('/'))
            target.prepend(path.left(path.lastIndexOf('/') + 1));
        path = target;
    }
    return ELOOP;
}

// The permissions a new file gets from the process's umask, read once (reading it means setting it).
mode_t newFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

// Temporary names: short, so that the longest valid target name still leaves room, and hidden.
constexpr char TemporaryPrefix[] = ".lv-";
constexpr int TemporaryLetters = 6;

// The names of temporary files that exist at this moment, so that SIGINT and SIGTERM can remove them
// before the program ends: a killed run leaves no debris beside its outputs. Slots are claimed without
// locks, since the signal handler may only read them.
constexpr int TemporarySlots = 64;
struct TemporarySlot
{
    std::atomic<int> state{0}; // 0 free, 1 being filled or emptied, 2 holds a name
    char name[PATH_MAX];
};
TemporarySlot temporaries[TemporarySlots];
struct sigaction previousInt;
struct sigaction previousTerm;

std::atomic<bool> ending{false};
// Saves between giving their file a name and renaming it over the target. Each holds SIGINT and
// SIGTERM back meanwhile, so the handler never runs inside one; it waits for the others to end.
std::atomic<int> naming{0};

extern "C" void removeTemporariesAndDie(int signal)
{
    ending.store(true);
    while (naming.load() > 0) {
        const timespec pause = {0, 100'000};
        ::nanosleep(&pause, nullptr);
    }
    for (TemporarySlot &slot : temporaries) {
        if (slot.state.load() == 2)
            ::unlink(slot.name);
    }
    // The disposition the program had before, usually the default: the program then ends by the signal
    // (exit status 130 or 143), as it would have without this handler.
    ::sigaction(signal, signal == SIGINT ? &previousInt : &previousTerm, nullptr);
    ::raise(signal);
}

// Holds SIGINT and SIGTERM back in this thread while a temporary name exists, and counts the save as
// naming so that a handler running in another thread waits for it. A save that starts naming once the
// program is ending never makes the name: it waits for the end.
class NamingSection
{
public:
    NamingSection()
    {
        sigset_t blocked;
        ::sigemptyset(&blocked);
        ::sigaddset(&blocked, SIGINT);
        ::sigaddset(&blocked, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &blocked, &m_previous);
        naming.fetch_add(1);
        if (ending.load()) {
            naming.fetch_sub(1);
            ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
            for (;;)
                ::pause();
        }
    }
    ~NamingSection()
    {
        naming.fetch_sub(1);
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    NamingSection(const NamingSection &) = delete;
    NamingSection &operator=(const NamingSection &) = delete;

private:
    sigset_t m_previous;
};

// Installed only where the program has not chosen its own handling for these signals.
void installCleanup()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action = {};
        action.sa_handler = removeTemporariesAndDie;
        ::sigemptyset(&action.sa_mask);
        ::sigaddset(&action.sa_mask, SIGINT);
        ::sigaddset(&action.sa_mask, SIGTERM);
        for (const auto &[signal, previous] :
             {std::pair{SIGINT, &previousInt}, std::pair{SIGTERM, &previousTerm}}) {
            if (::sigaction(signal, nullptr, previous) == 0 && previous->sa_handler == SIG_DFL &&
                !(previous->sa_flags & SA_SIGINFO))
                ::sigaction(signal, &action, nullptr);
        }
    });
}

// Holds a temporary file's name in a slot for as long as it lives; -1 when all slots are taken (the
// name is then only removed by the saver itself).
int rememberTemporary(const QByteArray &name)
{
    if (name.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < TemporarySlots; ++i) {
        int expected = 0;
        if (temporaries[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(temporaries[i].name, name.constData(), size_t(name.size()) + 1);
            temporaries[i].state.store(2);
            return i;
        }
    }
    return -1;
}

void forgetTemporary(int slot)
{
    if (slot >= 0)
        temporaries[slot].state.store(0);
}

QByteArray temporaryTemplate(const QByteArray &folder)
{
    return folder + '/' + TemporaryPrefix + QByteArray(TemporaryLetters, 'X');
}

// A file without a name in `folder`, so that a save killed half way leaves nothing behind; -1 with
// errno EOPNOTSUPP where the system or the file system has none.
int openUnnamed(const QByteArray &folder)
{
#ifdef O_TMPFILE
    // It gets its name through /proc.
    static const bool nameable = ::access("/proc/self/fd", X_OK) == 0;
    if (nameable) {
        const int fd = ::open(folder.constData(), O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
        // Kernels and file systems without unnamed files answer with one of these.
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
            return fd;
    }
#else
    Q_UNUSED(folder);
#endif
    errno = EOPNOTSUPP;
    return -1;
}

// Gives the complete unnamed file the target's name: straight away when there is no such file yet, so
// that no other name ever exists, else a temporary name in `folder` that the caller renames over the
// target. `name` stays empty in the first case.
int nameUnnamed(int fd, const QByteArray &target, const QByteArray &folder, QByteArray &name, int &slot)
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno != EEXIST)
        return errno;
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = temporaryTemplate(folder);
        for (qsizetype i = name.size() - TemporaryLetters; i < name.size(); ++i)
            name[i] = Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)];
        slot = rememberTemporary(name);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return 0;
        const int error = errno;
        forgetTemporary(slot);
        slot = -1;
        if (error != EEXIST) {
            errno = error;
            break;
        }
    }
    const int error = errno;
    name.clear();
    return error;
}

// Writes a complete new file beside `target` and renames it over the target.
int replace(const QByteArray &target, const QByteArray &bytes, mode_t mode, bool sync)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : target.left(qMax(slash, qsizetype(1)));
    QByteArray temporary;
    int slot = -1;
    installCleanup();
    int fd = openUnnamed(folder);
    if (fd < 0 && errno != EOPNOTSUPP)
        return errno;
    std::optional<NamingSection> section;
    if (fd < 0) {
        // Without unnamed files the temporary name exists from the start.
        section.emplace();
        temporary = temporaryTemplate(folder);
        fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) {
            temporary.clear();
            return errno;
        }
        slot = rememberTemporary(temporary);
    }
    // File systems without modes (FAT cards) refuse this; the content is what counts there.
    ::fchmod(fd, mode);
    int error = writeAll(fd, bytes);
    if (error == 0 && sync && ::fsync(fd) != 0)
        error = errno;
    if (error == 0 && temporary.isEmpty()) {
        section.emplace();
        error = nameUnnamed(fd, target, folder, temporary, slot); // no temporary name: done
    }
    if (error == 0 && !temporary.isEmpty() && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0 && !temporary.isEmpty())
        ::unlink(temporary.constData());
    forgetTemporary(slot);
    section.reset();
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Not errnos (none is negative): the target exists but is no plain file; the target is a link to nothing.
constexpr int NotPlainFile = -1;
constexpr int LinkToNothing = -2;

// Every writer, returning the errno of the step that failed, NotPlainFile or 0.
int saveWithErrno(const QString &path, const QByteArray &bytes, bool sync)
{
    QByteArray target = QFile::encodeName(path);
    if (target.isEmpty())
        return ENOENT;
    // The system would stop reading the name at a NUL and write another file.
    if (target.contains('\0'))
        return EINVAL;
    const QByteArray named = target;
    if (const int error = followLinks(target))
        return error;
    struct stat st;
    if (::stat(target.constData(), &st) != 0) {
        // Writing through a link to nothing would make a file somewhere else than the user named.
        if (errno == ENOENT && target != named)
            return LinkToNothing;
        return errno == ENOENT ? replace(target, bytes, newFileMode(), sync) : errno;
    }
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // A FIFO would block until some program read it, and a device is no file to replace.
    if (!S_ISREG(st.st_mode))
        return NotPlainFile;
    // A file its owner made read-only stays as it is, though its folder would let it be replaced.
    if (::access(target.constData(), W_OK) != 0)
        return errno;
    return replace(target, bytes, st.st_mode & 07777, sync);
}

Problem save(const QString &path, const QByteArray &bytes, bool sync)
{
    const int error = saveWithErrno(path, bytes, sync);
    if (error == NotPlainFile)
        return Problem::Cause::NotRegular;
    return error == LinkToNothing ? Problem(Problem::Cause::DanglingLink) : systemProblem(error);
}

#else

// Links that lead on further than this are taken for a loop, as the system does.
constexpr int MostLinks = 40;

// Follows `path` through its symbolic links to the file they lead to, which is the one replaced.
int followLinks(QString &path)
{
    for (int hops = 0; hops <= MostLinks; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return 0;
        path = info.symLinkTarget();
        if (path.isEmpty())
            return ENOENT;
    }
    return ELOOP;
}

// Qt's own replacement through a temporary file. It always waits for the disk, and a save killed half
// way may leave its temporary file beside the target.
Problem save(const QString &path, const QByteArray &bytes, bool)
{
    if (path.isEmpty())
        return systemProblem(ENOENT);
    if (path.contains(QChar(u'\0')))
        return systemProblem(EINVAL);
    if (isDeviceNameHere(path))
        return Problem::Cause::NotRegular;
    QString target = path;
    if (const int error = followLinks(target))
        return systemProblem(error);
    const QFileInfo info(target);
    if (target != path && !info.exists())
        return Problem::Cause::DanglingLink;
    const QFileInfo folder(info.absolutePath());
    if (info.exists() && info.isDir())
        return systemProblem(EISDIR);
    if (info.exists() && !info.isFile())
        return Problem::Cause::NotRegular;
    if (!folder.isDir())
        return systemProblem(ENOENT);
    if ((info.exists() && (!info.isWritable() || isReadOnlyHere(target))) || !folder.isWritable())
        return systemProblem(EACCES);
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    // A disk that took only part of the data leaves Qt without the system's reason: the room left says it.
    if (const qint64 room = freeBytesHere(folder.absoluteFilePath()); room >= 0 && room < bytes.size())
        return systemProblem(ENOSPC);
    return Problem(Problem::Cause::WriteFailed, file.errorString());
}

#endif

} // namespace

Problem saveBytes(const QString &path, const QByteArray &bytes)
{
    return save(path, bytes, true);
}

Problem saveBytesUnsynced(const QString &path, const QByteArray &bytes)
{
    return save(path, bytes, false);
}

Problem saveBmp(const QString &path, const QImage &image)
{
    return saveBytes(path, encodeBmp24(image));
}

} // namespace lumivert
