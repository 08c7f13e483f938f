#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lumivert {

// Writes through a temporary file that replaces the target only once it is complete, so a failed
// save never damages the file it was replacing. Returns an empty string on success, else the
// system's reason. A target that is a device or pipe is written directly (it cannot be replaced).
QString saveBytes(const QString &path, const QByteArray &bytes);

// The same replacement through a temporary file, without waiting for the disk to confirm the data
// before the rename. A killed program still leaves the old file or the new one; only a power cut
// right after the rename may lose the new content. For bulk runs, where waiting for the disk on
// every file would cost more than the conversion. Falls back to saveBytes for links and devices.
QString saveBytesUnsynced(const QString &path, const QByteArray &bytes);

// The picture as an uncompressed 24-bit BMP, written the same way.
QString saveBmp(const QString &path, const QImage &image);

// The BMP bytes that saveBmp writes.
QByteArray encodeBmp24(const QImage &image);

} // namespace lumivert
