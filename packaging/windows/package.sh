#!/usr/bin/env bash
# Lays out the Windows programs as windeployqt would (Qt's DLLs and the plugins the programs load
# beside them, MinGW's runtime, the licences), strips them, checks that nothing imports a DLL that is
# neither Windows' own nor in the package, and makes the portable zip and the NSIS installer.
# Usage: package.sh BUILD_DIR TOOLCHAIN_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
toolchain=$2
mingw=x86_64-w64-mingw32
version=$(sed -n 's/^project(Lumivert VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name=Lumivert-$version-win64
stage=$build/$name

rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/licences"
cp "$build/lumivert.exe" "$build/lumivert-cli.exe" "$stage/"
cp "$toolchain"/qt/bin/Qt6{Core,Gui,Widgets}.dll "$stage/"
cp "$toolchain/qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$toolchain/qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$toolchain"/qt/plugins/imageformats/q{gif,ico,jpeg}.dll "$stage/imageformats/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$($mingw-g++-posix -print-file-name=$dll)" "$stage/"
done
find "$stage" -name '*.exe' -o -name '*.dll' | xargs $mingw-strip --strip-unneeded

cp -r "$toolchain/licences/qt" "$stage/licences/Qt"
cp -r "$toolchain/licences/libjpeg-turbo" "$stage/licences/libjpeg-turbo"
cp "$source/packaging/copyright" "$stage/licences/Lumivert.txt"
qt_source=$(grep qt6-base "$toolchain/sources.txt")
jpeg_source=$(grep libjpeg-turbo "$toolchain/sources.txt")
cat >"$stage/licences/README.txt" <<TEXT
256色Lumivert $version for Windows

lumivert.exe and lumivert-cli.exe are proprietary (Lumivert.txt).

Qt 6.4.2 (Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the plugins in platforms/, styles/ and
imageformats/) is used under the GNU Lesser General Public License version 3 (Qt/LGPL-3.0-only.txt,
with Qt/GPL-3.0-only.txt), linked dynamically: these DLLs may be replaced with others of a compatible
Qt build. The third-party code built into Qt keeps its own licences (Qt/3rdparty/). Qt was built
unmodified from Debian 12's source package $qt_source (qt6-base, from
https://deb.debian.org/debian/pool/main/q/qt6-base/ or https://snapshot.debian.org/package/qt6-base/),
with MinGW-w64 by packaging/windows/build-toolchain.sh of Lumivert; the source is also available from
Lumivert Denshi on request.

libjpeg-turbo 2.1.5 (TurboJPEG, linked statically into both programs) is used under its licences:
the IJG licence, the Modified BSD licence and the zlib licence (libjpeg-turbo/). Built from Debian
12's source package $jpeg_source. This software is based in part on the work of the Independent JPEG
Group.

The MinGW-w64 runtime (libstdc++-6.dll, libgcc_s_seh-1.dll: GPL 3 with the GCC Runtime Library
Exception; libwinpthread-1.dll: MIT and BSD licences) comes from Debian 12's gcc-mingw-w64 and
mingw-w64 packages.
TEXT
sed -i 's/$/\r/' "$stage/licences/README.txt"

# Every import is either in the package or one of Windows' own DLLs.
windows_dlls=" kernel32 user32 gdi32 gdiplus shell32 shlwapi ole32 oleaut32 advapi32 comdlg32 comctl32
  uxtheme dwmapi imm32 winmm ws2_32 version netapi32 userenv mpr setupapi d3d9 d3d11 d3d12 dxgi dwrite
  wtsapi32 msvcrt crypt32 bcrypt authz winspool.drv shcore ntdll usp10 "
packaged=" $(find "$stage" -iname '*.dll' -printf '%f\n' | tr 'A-Z' 'a-z' | sed 's/\.dll$//' | tr '\n' ' ') "
bad=0
while IFS= read -r -d '' binary; do
  for import in $($mingw-objdump -p "$binary" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z'); do
    base=${import%.dll}
    case " $windows_dlls $packaged " in
    *" $base "* | *" $import "*) ;;
    *)
      case $base in api-ms-win-*) ;; *)
        echo "package: ${binary#$stage/} imports $import, which is neither Windows' own nor packaged" >&2
        bad=1
        ;;
      esac
      ;;
    esac
  done
done < <(find "$stage" \( -iname '*.exe' -o -iname '*.dll' \) -print0)
[ "$bad" = 0 ]

rm -f "$build/$name.zip"
(cd "$build" && cmake -E tar cf "$name.zip" --format=zip "$name")

# The installer removes exactly the files it installed.
files=$build/installer-files.nsh
(cd "$stage" && find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|  Delete "$INSTDIR\\&"|') >"$files"
(cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|  RMDir "$INSTDIR\\&"|') >>"$files"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" \
  -DICON="$source/resources/icons/lumivert.ico" -DOUTFILE="$build/$name-setup.exe" "$here/installer.nsi"
ls -l "$build/$name.zip" "$build/$name-setup.exe"
