#include "cli/librarymessages.h"

#include "cli/names.h"
#include "core/platform.h"

#include <QStringList>

#include <mutex>

#if LUMIVERT_POSIX
#include <fcntl.h>
#include <unistd.h>
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

thread_local QStringList kept;
std::FILE *ownStream = stderr;
#if LUMIVERT_POSIX
int caughtOutput = -1; // the pipe's end that is read
std::mutex caughtMutex;
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
    if (kept.size() < MostKept && !kept.contains(message))
        kept.append(message);
}

// The lines written to the caught stream so far. libpng's errors are kept: one comes only with a file
// that fails, whose line carries it. Its warnings are dropped, as Qt's are; anything else is passed on
// as one of our lines.
QStringList caughtErrors()
{
    QStringList errors;
#if LUMIVERT_POSIX
    std::lock_guard lock(caughtMutex);
    if (caughtOutput < 0)
        return errors;
    QByteArray bytes;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(caughtOutput, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, got);
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = decodeArgument(line);
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
#endif
    return ownStream;
}

void clearLibraryMessages()
{
    kept.clear();
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
    for (QString message : kept + caughtErrors()) {
        for (const char *prefix : {"libpng error: ", "libpng warning: ", "QImageIOHandler: "}) {
            if (message.startsWith(QLatin1String(prefix)))
                message.remove(0, qsizetype(qstrlen(prefix)));
        }
        said.append(oneLine(message));
    }
    kept.clear();
    return said.join(QLatin1String("; "));
}

} // namespace lumivert::cli
