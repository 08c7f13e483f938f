#!/usr/bin/env bash
# Builds, once, what the Windows build of Lumivert links against: Qt 6 (qtbase, shared: Qt is LGPL) and
# libjpeg-turbo (static, TurboJPEG with its SIMD code), both from Debian's own sources, cross-compiled
# with MinGW-w64. The result lives outside the clone, keyed by the versions and this recipe's revision,
# and is reused by every later build. Prints the cache's path on its last line.
# Usage: build-toolchain.sh [--path]   (--path: only print where it is or would be; JOBS, LUMIVERT_CACHE
#                                       and NICE may be set)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

qt_version=6.4.2
jpeg_version=2.1.5
recipe=3 # raise when the options below change, so that caches of the old recipe are not reused
key=mingw64-qt${qt_version}-jpegturbo${jpeg_version}-r${recipe}
root=${LUMIVERT_CACHE:-$HOME/.cache/lumivert}
prefix=$root/$key
jobs=${JOBS:-2}
nice=${NICE:-nice -n 10}

if [ "${1:-}" = --path ] || [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

sudo=$([ "$(id -u)" = 0 ] || echo sudo)
packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 nasm cmake ninja-build
  dpkg-dev qt6-base-dev qt6-base-dev-tools"
missing=$(for p in $packages; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
done)
if [ -n "$missing" ]; then
  echo "Installing:" $missing >&2
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi

start=$(date +%s)
rm -rf "$prefix"
work=$root/$key.work
mkdir -p "$prefix"
# A build that was interrupted goes on where it stopped: the sources and build folders are kept until
# the end.
if ! [ -f "$work/sources.done" ]; then
  rm -rf "$work"
  mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
  # Debian's sources through a private apt list: the system's apt setup is left as it is.
  mirror=$(sed -n 's/^URIs: *\(http[^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
  mirror=${mirror:-http://deb.debian.org/debian}
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main" \
    >"$work/apt/sources.list"
  apt_options=(-o Dir::Etc::sourcelist="$work/apt/sources.list" -o Dir::Etc::sourceparts=/nonexistent
    -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache" -o APT::Sandbox::User=root)
  apt-get "${apt_options[@]}" update -qq
  (cd "$work/src" && apt-get "${apt_options[@]}" source --download-only -qq qt6-base libjpeg-turbo)
  (cd "$work/src" && for dsc in *.dsc; do dpkg-source --no-check -x "$dsc" >/dev/null; done)
  touch "$work/sources.done"
fi
qt_source=$(echo "$work"/src/qt6-base-$qt_version*/)
jpeg_source=$(echo "$work"/src/libjpeg-turbo-$jpeg_version*/)

# Qt's toolchain file chains to this one by its path: keep a copy that lives as long as the cache.
cp "$here/mingw-w64.cmake" "$here/setjmp-no-unwind.h" "$prefix/"
export PKG_CONFIG_LIBDIR=/nonexistent PKG_CONFIG_PATH=

$nice cmake -S "$jpeg_source" -B "$work/jpeg" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix/libjpeg-turbo" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_JAVA=OFF >/dev/null
$nice cmake --build "$work/jpeg" -j"$jobs" --target turbojpeg-static >/dev/null
install -D -m 644 "$work/jpeg/libturbojpeg.a" "$prefix/libjpeg-turbo/lib/libturbojpeg.a"
install -D -m 644 "$jpeg_source/turbojpeg.h" "$prefix/libjpeg-turbo/include/turbojpeg.h"
mkdir -p "$prefix/libjpeg-turbo/lib/pkgconfig"
cat >"$prefix/libjpeg-turbo/lib/pkgconfig/libturbojpeg.pc" <<PC
prefix=\${pcfiledir}/../..
Name: libturbojpeg
Description: TurboJPEG (libjpeg-turbo $jpeg_version, static, with SIMD)
Version: $jpeg_version
Libs: -L\${prefix}/lib -lturbojpeg
Cflags: -I\${prefix}/include
PC

# Parts of Qt Gui and Qt Widgets that neither program nor the tests use, left out to keep the first
# build short. Qt's text shaping falls back to its own for the simple scripts of Japanese menus.
unused_features=()
for feature in harfbuzz textodfwriter textmarkdownreader textmarkdownwriter pdf undocommand undostack \
  undogroup undoview graphicsview graphicseffect mdiarea calendarwidget wizard fontdialog colordialog \
  fontcombobox dial lcdnumber keysequenceedit datawidgetmapper columnview toolbox syntaxhighlighter; do
  unused_features+=("-DFEATURE_$feature=OFF")
done

# Without Direct2D, Qt 6.4's Gui leaves out the DirectWrite font database that the windows platform
# plugin takes with directwrite3: that one goes too, and fonts come through GDI as in Qt 5.
# qtbase as shared libraries with what the two programs and the tests use: Core, Gui, Widgets, Test,
# the windows, offscreen and minimal platforms, the styles and image formats. The host's Qt of the same
# version supplies moc, rcc and uic.
$nice cmake -S "$qt_source" -B "$work/qt" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix/qt" -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_directwrite3=OFF \
  -DFEATURE_pkg_config=OFF "${unused_features[@]}" >"$work/qt-configure.log"
$nice cmake --build "$work/qt" -j"$jobs" >"$work/qt-build.log"
cmake --install "$work/qt" >/dev/null
# The licences shipped beside the DLLs: Qt's own, those of the third-party code built into it, and
# libjpeg-turbo's; and which Debian sources these are, for anyone who asks for Qt's source.
mkdir -p "$prefix/licences/qt/3rdparty"
cp "$qt_source"/LICENSES/*.txt "$prefix/licences/qt/"
(cd "$qt_source/src/3rdparty" && find . -path ./android -prune -o -path ./gradle -prune -o -path ./wasm -prune \
  -o -path ./xcb -prune -o -path ./VulkanMemoryAllocator -prune -o -type f \
  \( -name 'LICEN[CS]E*' -o -name 'COPYING*' -o -name '*-LICENSE*' -o -name '*_LICENSE' \) -print0 |
  tar --null -T - -cf - | tar -xf - -C "$prefix/licences/qt/3rdparty")
mkdir -p "$prefix/licences/libjpeg-turbo"
cp "$jpeg_source/LICENSE.md" "$jpeg_source/README.ijg" "$prefix/licences/libjpeg-turbo/"
(cd "$work/src" && ls qt6-base_*.dsc libjpeg-turbo_*.dsc) >"$prefix/sources.txt"

rm -rf "$work"
seconds=$(($(date +%s) - start))
echo "$((seconds / 60)) min $((seconds % 60)) s" >"$prefix/build-time.txt"
echo "Windows toolchain built in $(cat "$prefix/build-time.txt") into $prefix" >&2
touch "$prefix/.complete"
echo "$prefix"
