#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include "core/problem.h"

#include <memory>

namespace lumivert {

// No BIN file is longer: a 640 x 480 one is 300 KiB, so anything near this is not one.
constexpr qint64 LongestBinBytes = 64 * 1024 * 1024;

// A plain file opened for reading, or why it was not. Only regular files are read: a FIFO would block
// until some other program opened it, a device may never end. The kind is checked on the opened
// descriptor, so a file swapped for something else after a check by name cannot slip through.
struct OpenedFile
{
    std::unique_ptr<QFile> file; // open and positioned at the start when there is no problem
    Problem problem;

    bool ok() const { return !problem; }
};
OpenedFile openRegularFile(const QString &path);

// The whole of a plain file of at most `limit` bytes. Its length is measured by reading, not taken
// from the system, so a file that grows while it is read is still bounded.
struct ReadFile
{
    QByteArray bytes;
    Problem problem; // FileTooLong for a file over the limit

    bool ok() const { return !problem; }
};
ReadFile readRegularFile(const QString &path, qint64 limit);

} // namespace lumivert
