#include "core/dialogfilter.h"

#include <QDir>

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

QString joinSelection(const QString &folder, const QStringList &names)
{
    if (names.size() == 1)
        return QDir::toNativeSeparators(QDir(folder).filePath(names.first()));
    QString result = QDir::toNativeSeparators(folder);
    for (const QString &name : names)
        result += QChar(u'\0') + name;
    return result;
}

} // namespace lumivert
