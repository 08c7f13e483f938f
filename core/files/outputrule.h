#pragma once

#include "core/files/fileidentity.h"
#include "core/problem.h"

#include <QString>

#include <map>
#include <set>

namespace lumivert {

// Whether an existing plain file holds a picture, by its content. A BIN file has no header, so its
// first bytes could be anything: a file of a BIN file's length counts as a picture only when its end
// agrees with its start too (a PNG's end chunk, a GIF's trailer), so that the program's own output
// is never taken for a picture by chance. Returns the format's name, or an empty string.
QByteArray pictureFormatOf(const QString &path);

// What makes two output paths the same file, however spelled: the folder with its links resolved,
// and the name in the case the folder's file system compares names in.
QString outputKey(const QString &path);

// What the outputs of one run may replace, for the window's saves, its batch run and the command
// line alike: never a file the run reads, nor anything that is not a plain file, nor (for a BIN file)
// a picture; and no two inputs write one output.
class OutputRule
{
public:
    enum class Kind { Bin, Picture };

    // A file the run must leave as it is: an input, or the file the shown picture was read from.
    void protect(const QString &path);

    // Why `output` may not be written, or no problem, in which case it is now `input`'s.
    Problem claim(const QString &output, Kind kind, const QString &input = {});

private:
    std::set<FileId> m_protected;
    std::map<QString, QString> m_claimedByKey;
    std::map<FileId, QString> m_claimedById;
};

} // namespace lumivert
