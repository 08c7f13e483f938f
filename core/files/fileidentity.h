#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <tuple>

namespace lumivert {

// What makes a file the same file whatever path names it: its device and inode where the file system
// has them, else its canonical path (letter case folded where names ignore it).
struct FileId
{
    quint64 device = 0;
    quint64 inode = 0;
    QString canonicalPath;

    friend bool operator==(const FileId &a, const FileId &b)
    {
        return a.device == b.device && a.inode == b.inode && a.canonicalPath == b.canonicalPath;
    }
    friend bool operator<(const FileId &a, const FileId &b)
    {
        return std::tie(a.device, a.inode, a.canonicalPath) < std::tie(b.device, b.inode, b.canonicalPath);
    }
};

// The identity of the file a path names, links followed; none when there is no such file.
std::optional<FileId> fileId(const QString &path);

// Whether two paths name the same existing file (also through links, hard links and case-insensitive
// names).
bool sameFile(const QString &a, const QString &b);

} // namespace lumivert
