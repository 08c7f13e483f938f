#include "app/filedialogtext.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace lumivert
