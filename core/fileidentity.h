#pragma once

#include <QString>
#include <QtGlobal>

#include <compare>
#include <optional>

namespace lumivert {

// What makes a file the same file whatever path names it: its device and inode.
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;

    auto operator<=>(const FileId &) const = default;
};

// The identity of the file a path names, links followed; none when there is no such file.
std::optional<FileId> fileId(const QString &path);

// Whether two paths name the same existing file (also through links, hard links and case-insensitive
// names).
bool sameFile(const QString &a, const QString &b);

} // namespace lumivert
