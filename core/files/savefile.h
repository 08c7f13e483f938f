#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "core/problem.h"

namespace lumivert {

// Writes through a temporary file in the target's folder that replaces the target only once it is
// complete and on the disk, so a failed save never damages the file it was replacing. Returns no
// problem on success, else the cause of the step that failed with the system's words. Only a plain
// file is replaced: a target that is a FIFO, device or socket is refused at once (NotRegular), and so is
// a link to nothing (DanglingLink), which would make a file elsewhere than the one named. A symbolic
// link stays a link: the file it points to is replaced. A file made read-only is refused, though its folder
// would let it be replaced. The temporary file is unnamed where the system allows, else it has a short hidden
// name; SIGINT or SIGTERM (where the program left them to their default) remove it before the program ends.
[[nodiscard]] Problem saveBytes(const QString &path, const QByteArray &bytes);

// The same replacement through a temporary file, without waiting for the disk to confirm the data
// before the rename. A killed program still leaves the old file or the new one; only a power cut
// right after the rename may lose the new content. For bulk runs, where waiting for the disk on
// every file would cost more than the conversion.
[[nodiscard]] Problem saveBytesUnsynced(const QString &path, const QByteArray &bytes);

// The picture as an uncompressed 24-bit BMP, written as saveBytes writes.
[[nodiscard]] Problem saveBmp(const QString &path, const QImage &image);

} // namespace lumivert
