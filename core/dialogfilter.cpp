#include "core/dialogfilter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace lumivert {

QString caseInsensitiveGlob(const QString &pattern)
{
    QString glob;
    glob.reserve(pattern.size() * 4);
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower != upper)
            glob += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        else
            glob += c;
    }
    return glob;
}

QStringList caseInsensitiveFilters(const QStringList &nameFilters)
{
    QStringList result;
    for (const QString &filter : nameFilters) {
        const qsizetype open = filter.lastIndexOf(u'(');
        if (open < 0 || !filter.endsWith(u')')) {
            result << filter;
            continue;
        }
        QStringList globs;
        for (const QString &p : filter.mid(open + 1).chopped(1).split(u' ', Qt::SkipEmptyParts))
            globs << caseInsensitiveGlob(p);
        result << filter.left(open + 1) + globs.join(u' ') + u')';
    }
    return result;
}

QString commonFolder(const QStringList &paths)
{
    const auto holds = [](const QString &folder, const QString &path) {
        return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
    };
    QString folder = QFileInfo(QDir::fromNativeSeparators(paths.value(0))).path();
    for (const QString &native : paths) {
        const QString path = QDir::fromNativeSeparators(native);
        while (!holds(folder, path) && folder != QFileInfo(folder).path())
            folder = QFileInfo(folder).path();
    }
    return QDir::toNativeSeparators(folder);
}

QStringList typedFileNames(const QString &text)
{
    if (!text.contains(u'"')) {
        const QString name = text.trimmed();
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    QStringList names;
    const QStringList parts = text.split(u'"');
    // Every second part lies between a pair of quotes.
    for (qsizetype i = 1; i < parts.size(); i += 2) {
        if (!parts.at(i).isEmpty())
            names << parts.at(i);
    }
    return names;
}

namespace {

bool ownedByUser(const QFileInfo &info)
{
#ifdef Q_OS_UNIX
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
