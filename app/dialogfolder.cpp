#include "app/dialogfolder.h"

#include "core/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#if LUMIVERT_POSIX
#include <unistd.h>
#endif

namespace lumivert {

namespace {

bool ownedByUser(const QFileInfo &info)
{
#if LUMIVERT_POSIX
    return info.ownerId() == ::geteuid();
#else
    // Without user ids, a folder the user may write to is taken as the user's own.
    return info.isWritable();
#endif
}

} // namespace

bool isUsersOwnFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !ownedByUser(info))
        return false;
    const QString path = info.canonicalFilePath() + u'/';
    for (const char *system :
         {"/usr/", "/bin/", "/sbin/", "/lib/", "/opt/", "/snap/", "/etc/", "/var/lib/"}) {
        if (path.startsWith(QLatin1String(system)))
            return false;
    }
    return true;
}

QString firstDialogFolder(const QString &programFolder)
{
    if (isUsersOwnFolder(programFolder))
        return QDir::toNativeSeparators(programFolder);
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return QDir::toNativeSeparators(pictures);
    return QDir::toNativeSeparators(QDir::homePath());
}

} // namespace lumivert
