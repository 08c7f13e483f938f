#include "cli/reporter.h"

namespace lumivert::cli {

QString errorLine(const QString &file, const QString &reason)
{
    return QStringLiteral("lumivert-cli: %1: %2").arg(file, reason);
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
    std::fputs(("\r" + progressLine(m_done, m_total, 30)).toLocal8Bit().constData(), m_stream);
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
