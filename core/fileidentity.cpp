#include "core/fileidentity.h"

#include <QFile>

#include <sys/stat.h>

namespace lumivert {

std::optional<FileId> fileId(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // The system would stop reading the name at a NUL and look at another file.
    if (name.contains('\0'))
        return std::nullopt;
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return std::nullopt;
    return FileId{quint64(st.st_dev), quint64(st.st_ino)};
}

bool sameFile(const QString &a, const QString &b)
{
    const auto idA = fileId(a);
    return idA && idA == fileId(b);
}

} // namespace lumivert
