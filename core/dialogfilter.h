#pragma once

#include <QString>
#include <QStringList>

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

// Whether a folder is the user's own, as a build or an unpacked program's folder is: owned by the user
// and not one of the system's folders (an installed program lives in /usr/bin, which root owns).
bool isUsersOwnFolder(const QString &folder);

// Where the first file dialog of a run starts: the program's folder when it is the user's own, else
// the user's pictures folder, else the home folder.
QString firstDialogFolder(const QString &programFolder);

} // namespace lumivert
