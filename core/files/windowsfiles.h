#pragma once

#include "core/files/fileidentity.h"

#include <QString>

#include <optional>

namespace lumivert {

// Whether Windows takes the last part of `path` for a device: CON, PRN, AUX, NUL, COM1-COM9 and
// LPT1-LPT9 in any letter case, with any extension and trailing dots or spaces ("con.jpg", "nul.BIN",
// "COM1 .txt"), in every folder. Such a name opens the device, never a file. Answered on every
// platform, so that the rule is tested everywhere.
bool isWindowsDeviceName(const QString &path);

// isWindowsDeviceName() on Windows, false elsewhere.
bool isDeviceNameHere(const QString &path);

// Whether the file at `path` carries Windows' read-only attribute (false elsewhere, and for no file).
// Windows refuses to replace such a file, and Qt does not count the attribute against writing.
bool isReadOnlyHere(const QString &path);

// The bytes this user may still write on the file system that holds `folder` (a folder mounted inside
// another drive and the user's quota counted on Windows), or -1 when it cannot be known.
qint64 freeBytesHere(const QString &folder);

#ifdef Q_OS_WIN
// The identity Windows gives a file: the serial number of its volume and its index on that volume,
// the same through every name of the file (letter case, short names, hard links, links followed).
std::optional<FileId> windowsFileId(const QString &path);
#endif

} // namespace lumivert
