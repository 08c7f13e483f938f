#pragma once

#include <QString>

namespace lumivert {

// Whether a folder is the user's own, as a build or an unpacked program's folder is: owned by the user
// and not one of the system's folders (an installed program lives in /usr/bin, which root owns).
bool isUsersOwnFolder(const QString &folder);

// Where the first file dialog of a run starts: the program's folder when it is the user's own, else
// the user's pictures folder, else the home folder.
QString firstDialogFolder(const QString &programFolder);

} // namespace lumivert
