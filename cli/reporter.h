#pragma once

#include <QString>

#include <chrono>
#include <cstdio>
#include <mutex>

namespace lumivert::cli {

// Everything the program tells on stderr: one line per failed file, and, on a terminal, a progress bar
// that the error lines are printed above. Safe to call from several workers at once.
class Reporter
{
public:
    Reporter(std::FILE *stream, bool progressBar);

    void startProgress(qsizetype total);
    void fileFailed(const QString &file, const QString &reason);
    // A file finished, converted or not.
    void fileDone(bool converted);
    void finish();

    qsizetype failures() const;
    qsizetype converted() const;

private:
    void drawLocked(bool force);
    void clearLocked();

    std::FILE *m_stream;
    bool m_progressBar;
    qsizetype m_total = 0;
    qsizetype m_done = 0;
    qsizetype m_failures = 0;
    qsizetype m_converted = 0;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
    mutable std::mutex m_mutex;
};

// "lumivert-cli: FILE: REASON"
QString errorLine(const QString &file, const QString &reason);

// The run's closing line: "N converted, M failed".
QString summaryLine(qsizetype converted, qsizetype failed);

// The progress bar for `done` of `total`, `width` characters between the brackets.
QString progressLine(qsizetype done, qsizetype total, int width);

} // namespace lumivert::cli
