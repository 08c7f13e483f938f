#!/usr/bin/env bash
# Compiles every source file of core/, app/, gui/ and cli/ for Windows with MinGW-w64 against the system's Qt
# headers, without linking (Debian ships no Qt for Windows). It proves that the sources use no call,
# header or type that Windows lacks; it does not prove that the program links, runs or behaves the same
# there, nor anything about MSVC.
# Usage: windows-check.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
cxx=${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
qt=$(qmake6 -query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)
generated=$build/windows-check
mkdir -p "$generated/core"
version=$(sed -n 's/^project(Lumivert VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
IFS=. read -r major minor patch <<<"$version"
sed -e "s/@PROJECT_VERSION@/$version/g" -e "s/@PROJECT_VERSION_MAJOR@/$major/g" \
  -e "s/@PROJECT_VERSION_MINOR@/$minor/g" -e "s/@PROJECT_VERSION_PATCH@/$patch/g" \
  core/version.h.in >"$generated/core/version.h"

failed=0
count=0
for source in core/*.cpp core/*/*.cpp app/*.cpp gui/*.cpp cli/*.cpp; do
  count=$((count + 1))
  if ! "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes \
    -I. -I"$generated" -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" \
    -DQT_NO_KEYWORDS -DQT_DISABLE_DEPRECATED_BEFORE=0x060400 -DUNICODE -D_UNICODE "$source"; then
    echo "windows-check: $source does not compile for Windows" >&2
    failed=$((failed + 1))
  fi
done
echo "windows-check: $((count - failed)) of $count source files compile for Windows"
[ "$failed" = 0 ]
