#pragma once

#include <QString>
#include <QStringList>

// What the file dialog shows and hands back, as text: its name filters, the names typed into it and
// the folder that holds several chosen files.

namespace lumivert {

// Qt name filters whose patterns ignore letter case: "Picture(*.BMP) (*.BMP)" also lists a.bmp. The
// label, up to the last opening parenthesis, stays as it is.
QStringList caseInsensitiveFilters(const QStringList &nameFilters);

// "*.BMP" -> "*.[bB][mM][pP]": a glob that ignores letter case.
QString caseInsensitiveGlob(const QString &pattern);

// The deepest folder that holds every one of these absolute paths, with native separators.
QString commonFolder(const QStringList &paths);

// The names typed into a file dialog's name field: several each in double quotes, or one name.
QStringList typedFileNames(const QString &text);

} // namespace lumivert
