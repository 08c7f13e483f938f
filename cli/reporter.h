#pragma once

#include "core/problem.h"

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

// Why the core refused, in the terminal's words: the system's or the decoder's own where it gave them,
// else a short phrase of the cause ("is a FIFO, not a file").
QString englishReason(const Problem &problem);

// "lumivert-cli: FILE: REASON", the name quoted (quoteName)
QString errorLine(const QString &file, const QString &reason);

// The run's closing line: "N converted, M failed".
QString summaryLine(qsizetype converted, qsizetype failed);

// The progress bar for `done` of `total`, `width` characters between the brackets.
QString progressLine(qsizetype done, qsizetype total, int width);

// The progress bar for a terminal `columns` wide, short enough never to wrap: the bar shrinks, and on
// a very narrow terminal only the counts are left.
QString progressText(qsizetype done, qsizetype total, int columns);

// Whether `stream` writes to a terminal (or console), where a progress bar can be drawn.
bool isTerminal(std::FILE *stream);
// The width of the terminal `stream` writes to, else $COLUMNS, else 80.
int terminalColumns(std::FILE *stream);

} // namespace lumivert::cli
