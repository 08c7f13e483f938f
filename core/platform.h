#pragma once

#include <QtGlobal>

// LUMIVERT_POSIX selects the POSIX paths of the few platform calls (file identity, opening plain files
// without blocking, unnamed temporary files, the terminal; in lumivert-cli also listing a folder's raw
// names, catching libraries' stderr lines and keeping closed standard streams taken). Elsewhere, and in
// a build with -DLUMIVERT_QT_ONLY=ON that tests them on Linux, each call has an implementation in Qt
// alone.
#if defined(Q_OS_UNIX) && !defined(LUMIVERT_QT_ONLY)
#define LUMIVERT_POSIX 1
#else
#define LUMIVERT_POSIX 0
#endif
