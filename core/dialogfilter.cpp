#include "core/dialogfilter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

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

QStringList nameFiltersFromPairs(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList globs;
        for (const QString &p : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            globs << caseInsensitiveGlob(p.trimmed());
        result << parts.at(i) + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return result;
}

QString joinSelection(const QStringList &paths)
{
    if (paths.size() == 1)
        return QDir::toNativeSeparators(paths.first());
    const auto holds = [](const QString &folder, const QString &path) {
        return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
    };
    QString folder = QFileInfo(paths.value(0)).path();
    for (const QString &path : paths) {
        while (!holds(folder, path) && folder != QFileInfo(folder).path())
            folder = QFileInfo(folder).path();
    }
    const qsizetype skip = folder.endsWith(u'/') ? folder.size() : folder.size() + 1;
    QString result = QDir::toNativeSeparators(folder);
    for (const QString &path : paths)
        result += QChar(u'\0') + QDir::toNativeSeparators(path.mid(skip));
    return result;
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

bool isUsersOwnFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.ownerId() != ::geteuid())
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
