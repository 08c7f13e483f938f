#pragma once

#include <QString>
#include <QStringList>

namespace lumivert {

// Turns a filter in the "label|pattern|label|pattern" form into Qt name filters. Patterns match
// case-insensitively ("*.BMP" also lists a.bmp); several patterns of one entry are split at ';'.
QStringList nameFiltersFromPairs(const QString &filter);

// "*.BMP" -> "*.[bB][mM][pP]": a glob that ignores letter case.
QString caseInsensitiveGlob(const QString &pattern);

// The result of a dialog that allows several files: one file gives its full path; several give
// the folder, then a NUL and a name per file, with no NUL at the end.
QString joinSelection(const QString &folder, const QStringList &names);

} // namespace lumivert
