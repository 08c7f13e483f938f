#include "cli/librarymessages.h"

#include "cli/names.h"
#include "core/platform.h"

#include <QStringList>

#include <map>
#include <mutex>
#include <thread>

#if LUMIVERT_POSIX
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#if LUMIVERT_POSIX || defined(Q_OS_WIN)
#define LUMIVERT_CATCHES_STDERR 1
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LUMIVERT_SANITIZER_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LUMIVERT_SANITIZER_BUILD 1
#endif
#endif

namespace lumivert::cli {

namespace {

// What each thread's libraries said, by thread. Not a thread_local list: MinGW-w64's destructors of
// thread_local objects corrupted the heap when workers that had kept words ended.
std::mutex keptMutex;
std::map<std::thread::id, QStringList> keptByThread;

QStringList takeKept()
{
    std::lock_guard lock(keptMutex);
    const auto it = keptByThread.find(std::this_thread::get_id());
    if (it == keptByThread.end())
        return {};
    QStringList kept = std::move(it->second);
    keptByThread.erase(it);
    return kept;
}

std::FILE *ownStream = stderr;
#ifdef LUMIVERT_CATCHES_STDERR
int caughtOutput = -1; // the pipe's end that is read
std::mutex caughtMutex;

// What the pipe holds now, without waiting for more.
QByteArray readWaiting(int fd)
{
    QByteArray bytes;
    char chunk[4096];
#if LUMIVERT_POSIX
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, got);
#else
    const auto pipe = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD waiting = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
        const int got = _read(fd, chunk, unsigned(qMin<DWORD>(waiting, sizeof chunk)));
        if (got <= 0)
            break;
        bytes.append(chunk, got);
    }
#endif
    return bytes;
}
#endif

// A damaged file can make a decoder complain once per row; a few messages tell enough.
constexpr qsizetype MostKept = 3;

void keepMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(ownStream, "lumivert-cli: %s\n", oneLine(message).toLocal8Bit().constData());
        std::fflush(ownStream);
        return;
    }
    std::lock_guard lock(keptMutex);
    QStringList &kept = keptByThread[std::this_thread::get_id()];
    if (kept.size() < MostKept && !kept.contains(message))
        kept.append(message);
}

// The lines written to the caught stream so far. libpng's errors are kept: one comes only with a file
// that fails, whose line carries it. Its warnings are dropped, as Qt's are; anything else is passed on
// as one of our lines.
QStringList caughtErrors()
{
    QStringList errors;
#ifdef LUMIVERT_CATCHES_STDERR
    std::lock_guard lock(caughtMutex);
    if (caughtOutput < 0)
        return errors;
    for (const QByteArray &line : readWaiting(caughtOutput).split('\n')) {
        const QString text = decodeArgument(line).remove(QLatin1Char('\r'));
        if (text.startsWith(QLatin1String("libpng error: ")))
            errors.append(text);
        else if (!text.trimmed().isEmpty() && !text.startsWith(QLatin1String("libpng warning: ")))
            std::fprintf(ownStream, "lumivert-cli: %s\n", oneLine(text).toLocal8Bit().constData());
    }
#endif
    return errors;
}

} // namespace

void installLibraryMessageHandler()
{
    qInstallMessageHandler(keepMessage);
}

std::FILE *catchLibraryOutput()
{
#if LUMIVERT_POSIX && !defined(LUMIVERT_SANITIZER_BUILD)
    int ends[2];
    if (::pipe(ends) != 0)
        return stderr;
    const int own = ::dup(STDERR_FILENO);
    std::FILE *stream = own >= 0 ? ::fdopen(own, "w") : nullptr;
    if (!stream || ::dup2(ends[1], STDERR_FILENO) < 0) {
        if (stream)
            std::fclose(stream);
        ::close(ends[0]);
        ::close(ends[1]);
        return stderr;
    }
    ::close(ends[1]);
    // Neither end waits: a full pipe loses a library's line rather than stopping the program.
    for (const int end : {ends[0], int(STDERR_FILENO)})
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(own, F_SETFD, FD_CLOEXEC);
    std::setvbuf(stream, nullptr, _IOLBF, 0);
    caughtOutput = ends[0];
    ownStream = stream;
#elif defined(Q_OS_WIN) && !defined(LUMIVERT_SANITIZER_BUILD)
    // The DLLs share the C runtime's descriptor 2 with the program: a pipe put there catches their
    // lines too.
    int ends[2];
    if (_pipe(ends, 1 << 16, _O_BINARY | _O_NOINHERIT) != 0)
        return stderr;
    const int own = _dup(2);
    std::FILE *stream = own >= 0 ? _fdopen(own, "w") : nullptr;
    if (!stream || _dup2(ends[1], 2) < 0) {
        if (stream)
            std::fclose(stream);
        _close(ends[0]);
        _close(ends[1]);
        return stderr;
    }
    _close(ends[1]);
    // The writing end does not wait: a full pipe loses a library's line rather than stopping the
    // program.
    DWORD noWait = PIPE_READMODE_BYTE | PIPE_NOWAIT;
    SetNamedPipeHandleState(reinterpret_cast<HANDLE>(_get_osfhandle(2)), &noWait, nullptr, nullptr);
    std::setvbuf(stream, nullptr, _IONBF, 0); // the C runtime buffers "line buffered" streams whole
    caughtOutput = ends[0];
    ownStream = stream;
#endif
    return ownStream;
}

void clearLibraryMessages()
{
    takeKept();
}

std::shared_mutex &decodingLock()
{
    static std::shared_mutex lock;
    return lock;
}

QString libraryMessagesOfAlone(const std::function<void()> &decode)
{
    std::unique_lock alone(decodingLock());
    caughtErrors(); // other workers' words, from before: theirs to find again alone
    clearLibraryMessages();
    decode();
    return takeLibraryMessages();
}

QString takeLibraryMessages()
{
    QStringList said;
    for (QString message : takeKept() + caughtErrors()) {
        for (const char *prefix : {"libpng error: ", "libpng warning: ", "QImageIOHandler: "}) {
            if (message.startsWith(QLatin1String(prefix)))
                message.remove(0, qsizetype(qstrlen(prefix)));
        }
        said.append(oneLine(message));
    }
    return said.join(QLatin1String("; "));
}

} // namespace lumivert::cli
