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

// At most `limit` bytes of an open device, read in pieces (never `limit` bytes at once for a short file);
// FileTooLong once it goes on past the limit.
ReadFile readDevice(QIODevice &device, qint64 limit);

// At most `limit` bytes of the program's standard input, read as readRegularFile reads a file: FileTooLong
// once it goes on past the limit. A terminal or other device there is refused (Device) without reading.
ReadFile readStandardInput(qint64 limit);

// What kind of file a path names, links followed, found without opening it (opening a device may
// already do something): None for a plain file, Missing when there is nothing, else the kind.
Problem::Cause fileKind(const QString &path);

// Whether the last link on the way to `path` leads to nothing: writing through it would create a file
// somewhere else than the user named.
bool isDanglingLink(const QString &path);

} // namespace lumivert
