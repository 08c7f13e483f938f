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

// Whether a folder is the user's own, as a build or an unpacked program's folder is: owned by the user
// and not one of the system's folders (an installed program lives in /usr/bin, which root owns).
bool isUsersOwnFolder(const QString &folder);

// Where the first file dialog of a run starts: the program's folder when it is the user's own, else
// the user's pictures folder, else the home folder.
QString firstDialogFolder(const QString &programFolder);

} // namespace lumivert
