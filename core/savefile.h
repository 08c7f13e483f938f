#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lumivert {

// The `systemError` of a target that exists but is no plain file (a FIFO, device or socket). No errno
// is negative.
constexpr int NotPlainFileError = -1;

// Writes through a temporary file in the target's folder that replaces the target only once it is
// complete and on the disk, so a failed save never damages the file it was replacing. Returns an
// empty string on success, else the system's reason; `systemError`, when given, receives the errno
// of the step that failed (0 on success). Only a plain file is replaced: a target that is a FIFO,
// device or socket is refused at once (NotPlainFileError). A symbolic link stays a link: the file it
// points to is replaced. A file made read-only is refused, though its folder would let it be replaced.
// The temporary file is unnamed where the system allows, else it has a short hidden name; SIGINT or
// SIGTERM (where the program left them to their default) remove it before the program ends.
QString saveBytes(const QString &path, const QByteArray &bytes, int *systemError = nullptr);

// The same replacement through a temporary file, without waiting for the disk to confirm the data
// before the rename. A killed program still leaves the old file or the new one; only a power cut
// right after the rename may lose the new content. For bulk runs, where waiting for the disk on
// every file would cost more than the conversion.
QString saveBytesUnsynced(const QString &path, const QByteArray &bytes, int *systemError = nullptr);

// The picture as an uncompressed 24-bit BMP, written as saveBytes writes.
QString saveBmp(const QString &path, const QImage &image, int *systemError = nullptr);

// Why a save failed, for the window: the common causes of `systemError` in Japanese, else the
// system's own `systemReason`.
QString japaneseSaveReason(int systemError, const QString &systemReason);

} // namespace lumivert
