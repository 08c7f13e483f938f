#pragma once

#include <QString>
#include <QStringList>

namespace lumivert {

// Turns a filter in the "label|pattern|label|pattern" form into Qt name filters. Patterns match
// case-insensitively ("*.BMP" also lists a.bmp); several patterns of one entry are split at ';'.
QStringList nameFiltersFromPairs(const QString &filter);

// "*.BMP" -> "*.[bB][mM][pP]": a glob that ignores letter case.
QString caseInsensitiveGlob(const QString &pattern);

// The result of a dialog that allows several files, from the absolute paths chosen: one file gives its
// full path; several give the deepest folder that holds them all, then a NUL and each file's path
// relative to that folder (a plain name when they share one folder), with no NUL at the end.
QString joinSelection(const QStringList &paths);

// The names typed into a file dialog's name field: several each in double quotes, or one name.
QStringList typedFileNames(const QString &text);

} // namespace lumivert
