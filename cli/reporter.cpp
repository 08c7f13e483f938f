#include "cli/reporter.h"

#include "core/platform.h"

#include "cli/console.h"
#include "cli/names.h"

#include <QtGlobal>

#include <algorithm>

#if LUMIVERT_POSIX
#include <sys/ioctl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace lumivert::cli {

QString englishReason(const Problem &problem)
{
    if (!problem.detail.isEmpty())
        return problem.detail;
    using Cause = Problem::Cause;
    switch (problem.cause) {
    case Cause::None:
        return {};
    case Cause::Missing:
        return QStringLiteral("no such file");
    case Cause::NoPermission:
        return QStringLiteral("no permission to read it");
    case Cause::Folder:
        return QStringLiteral("is a folder");
    case Cause::Fifo:
        return QStringLiteral("is a FIFO, not a file");
    case Cause::Device:
        return QStringLiteral("is a device, not a file");
    case Cause::Socket:
        return QStringLiteral("is a socket, not a file");
    case Cause::NotRegular:
        return QStringLiteral("is not a plain file (a FIFO, device or socket)");
    case Cause::FileTooLong:
        return QStringLiteral("is too long");
    case Cause::PictureTooLarge:
        return QStringLiteral("picture too large");
    case Cause::NotAPicture:
        return QStringLiteral("not a picture");
    case Cause::OutputIsPicture:
        return QStringLiteral("the output would replace the picture");
    case Cause::OutputLeavesFolder:
        return QStringLiteral("the output would leave the picture's folder");
    case Cause::OutputIsInput:
        return QStringLiteral("is an input");
    case Cause::OutputHoldsPicture:
        return QStringLiteral("is a picture, not a BIN file");
    case Cause::OutputClaimedTwice:
        return QStringLiteral("is the output of another input");
    case Cause::DanglingLink:
        return QStringLiteral("is a link to a file that does not exist");
    case Cause::DiskFull:
    case Cause::ReadOnlyDrive:
    case Cause::NameTooLong:
    case Cause::BadName:
    case Cause::WriteFailed:
    case Cause::SystemError:
    case Cause::Damaged:
        break; // always come with the system's or the decoder's words
    }
    return QStringLiteral("cannot be read");
}

QString errorLine(const QString &file, const QString &reason)
{
    return QStringLiteral("lumivert-cli: %1: %2").arg(quoteName(file), reason);
}

bool isTerminal(std::FILE *stream)
{
#if LUMIVERT_POSIX
    return ::isatty(::fileno(stream)) == 1;
#elif defined(Q_OS_WIN)
    return ::_isatty(::_fileno(stream)) != 0;
#else
    Q_UNUSED(stream); // Qt alone cannot tell, so no progress bar is drawn
    return false;
#endif
}

int terminalColumns(std::FILE *stream)
{
#if LUMIVERT_POSIX
    struct winsize size = {};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#else
    if (const int columns = consoleColumns(::fileno(stream)); columns > 0)
        return columns;
#endif
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    return ok && columns > 0 ? columns : 80;
}

QString progressText(qsizetype done, qsizetype total, int columns)
{
    // One column is kept free: a line that reaches the last column wraps on some terminals.
    const QString counts = QStringLiteral(" %1/%2").arg(done).arg(total);
    const int width = std::min(int(columns - 1 - counts.size() - 2), 50);
    if (width < 5)
        return counts.mid(1).left(std::max(columns - 1, 0));
    return progressLine(done, total, width);
}

QString summaryLine(qsizetype converted, qsizetype failed)
{
    return QStringLiteral("%1 converted, %2 failed").arg(converted).arg(failed);
}

QString progressLine(qsizetype done, qsizetype total, int width)
{
    const qsizetype filled = total > 0 ? done * width / total : width;
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(width - filled, QLatin1Char(' ')) +
           QStringLiteral("] %1/%2").arg(done).arg(total);
}

Reporter::Reporter(std::FILE *stream, bool progressBar) : m_stream(stream), m_progressBar(progressBar) {}

void Reporter::startProgress(qsizetype total)
{
    std::lock_guard lock(m_mutex);
    m_total = total;
    m_done = 0;
    drawLocked(true);
}

void Reporter::fileFailed(const QString &file, const QString &reason)
{
    std::lock_guard lock(m_mutex);
    ++m_failures;
    clearLocked();
    std::fputs(errorLine(file, reason).toLocal8Bit().append('\n').constData(), m_stream);
    std::fflush(m_stream);
    drawLocked(true);
}

void Reporter::fileDone(bool converted)
{
    std::lock_guard lock(m_mutex);
    ++m_done;
    m_converted += converted;
    drawLocked(m_done == m_total);
}

void Reporter::finish()
{
    std::lock_guard lock(m_mutex);
    clearLocked();
    m_total = 0;
}

qsizetype Reporter::converted() const
{
    std::lock_guard lock(m_mutex);
    return m_converted;
}

qsizetype Reporter::failures() const
{
    std::lock_guard lock(m_mutex);
    return m_failures;
}

void Reporter::drawLocked(bool force)
{
    if (!m_progressBar || m_total == 0)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_drawn && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    m_drawn = true;
    std::fputs(("\r" + progressText(m_done, m_total, terminalColumns(m_stream))).toLocal8Bit().constData(),
               m_stream);
    std::fflush(m_stream);
}

void Reporter::clearLocked()
{
    if (!m_drawn)
        return;
    std::fputs("\r\033[K", m_stream);
    m_drawn = false;
}

} // namespace lumivert::cli
