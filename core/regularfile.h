#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace lumivert {

// No BIN file is longer: a 640 x 480 one is 300 KiB, so anything near this is not one.
constexpr qint64 LongestBinBytes = 64 * 1024 * 1024;

// Why a file was not opened or read.
enum class FileRefusal {
    None,
    Missing,
    NoPermission,
    Folder,
    Fifo,
    Device,
    Socket,
    NotRegular, // any other kind of file that is not a plain file
    TooLarge,
    Unreadable, // the system's own reason is in `error`
};

// A plain file opened for reading, or why it was not. Only regular files are read: a FIFO would block
// until some other program opened it, a device may never end. The kind is checked on the opened
// descriptor, so a file swapped for something else after a check by name cannot slip through.
struct OpenedFile
{
    std::unique_ptr<QFile> file; // open and positioned at the start when `refusal` is None
    FileRefusal refusal = FileRefusal::Unreadable;
    QString error;

    bool ok() const { return refusal == FileRefusal::None; }
};
OpenedFile openRegularFile(const QString &path);

// The whole of a plain file of at most `limit` bytes. Its length is measured by reading, not taken
// from the system, so a file that grows while it is read is still bounded.
struct ReadFile
{
    QByteArray bytes;
    FileRefusal refusal = FileRefusal::Unreadable;
    QString error;

    bool ok() const { return refusal == FileRefusal::None; }
};
ReadFile readRegularFile(const QString &path, qint64 limit);

// A short English reason for the terminal and for load errors ("is a FIFO").
QString refusalReason(FileRefusal refusal, const QString &systemError = {});

} // namespace lumivert
