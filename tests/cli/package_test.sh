#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it with dpkg into a temporary root, checks
# the files that come with the programs, converts pictures with the lumivert-cli installed there, and
# has lintian check the package. Exit 77 (skipped) where that cannot be done.
# Usage: package_test.sh BUILD_DIR BUILT_LUMIVERT_CLI
set -euo pipefail
build_dir=$1
built_cli=$2

if [ "$(id -u)" != 0 ]; then
  echo "SKIP: installing with dpkg needs root"
  exit 77
fi
for tool in dpkg dpkg-deb dpkg-shlibdeps file cpack; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (apt-get install dpkg-dev file)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "cpack could not build the package"
fi
deb=$(ls "$work"/pkg/lumivert_*_amd64.deb 2>/dev/null || ls "$work"/pkg/lumivert_*.deb)
echo "built $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

# dpkg's own database in the temporary root; the Qt libraries it depends on are the system's.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-depends --force-script-chrootless -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg could not install the package"; }
dpkg --root="$root" -s lumivert | grep -q '^Status: install ok installed' || fail "dpkg does not list lumivert"

for f in usr/bin/lumivert usr/bin/lumivert-cli; do
  [ -x "$root/$f" ] || fail "$f is not installed"
done
grep -qx 'Name=256色Lumivert' "$root/usr/share/applications/lumivert.desktop" || fail "desktop entry"
grep -q '^MimeType=.*image/jpeg' "$root/usr/share/applications/lumivert.desktop" || fail "desktop MIME types"
grep -qx 'Exec=lumivert %f' "$root/usr/share/applications/lumivert.desktop" || fail "desktop Exec"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/lumivert.desktop" || fail "desktop entry is not valid"
fi

# Each icon is a picture of its folder's size.
for size in 16 22 24 32 48 64 128 256; do
  [[ $(file -b "$root/usr/share/icons/hicolor/${size}x$size/apps/lumivert.png") == "PNG image data, $size x $size,"* ]] ||
    fail "icon ${size}x$size"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/lumivert.svg" || fail "scalable icon"

doc=$root/usr/share/doc/lumivert
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
  fail "copyright is not machine-readable"
version=$(dpkg-deb -f "$deb" Version)
[[ $(zcat "$doc/changelog.gz" | head -1) == "lumivert ($version) "* ]] || fail "changelog has no entry for $version"

# Every long option that --help lists is in the manual page and the completion.
man1=$root/usr/share/man/man1
completion=$root/usr/share/bash-completion/completions/lumivert-cli
zcat "$man1/lumivert.1.gz" | grep -q '^\.TH LUMIVERT 1' || fail "manual page of lumivert"
options=$("$root/usr/bin/lumivert-cli" --help | grep -o -- '--[a-z-]*' | sort -u)
[ -n "$options" ] || fail "no options in --help"
for option in $options; do
  zcat "$man1/lumivert-cli.1.gz" | grep -qF -- "${option//-/\\-}" || fail "manual page lacks $option"
  grep -qw -- "$option" "$completion" || fail "completion lacks $option"
done
if [ -f /usr/share/bash-completion/bash_completion ]; then
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
    COMP_WORDS=(lumivert-cli convert --dither ""); COMP_CWORD=3; COMP_LINE="lumivert-cli convert --dither "
    COMP_POINT=${#COMP_LINE}; _lumivert_cli; echo "${COMPREPLY[*]}"' - "$completion")
  [ "$offered" = "none nearest floyd-steinberg ordered" ] || fail "completion of --dither offers '$offered'"
else
  bash -n "$completion" || fail "completion does not parse"
fi

cli=$root/usr/bin/lumivert-cli
[ "$("$cli" --version)" = "lumivert-cli 5.1.0" ] || fail "installed --version"

# A BIN file shown as a picture converts back to the same bytes, whatever they are: each shown colour
# reduces to its byte.
cd "$work"
head -c 76800 /dev/urandom >pattern.BIN
"$cli" show pattern.BIN -o pattern.png || fail "installed show"
"$cli" convert -o again.BIN pattern.png || fail "installed convert of a PNG"
cmp pattern.BIN again.BIN || fail "round trip through the installed program changed the bytes"

# JPEG goes through the system's Qt plugin; the installed program must agree with the built one.
"$cli" show pattern.BIN -o pattern.jpg || fail "installed show to JPEG"
"$cli" convert -o installed.BIN pattern.jpg || fail "installed convert of a JPEG"
"$built_cli" convert -o built.BIN pattern.jpg || fail "built convert of a JPEG"
cmp installed.BIN built.BIN || fail "installed and built programs convert differently"
echo "package installs and converts"

if ! command -v lintian >/dev/null; then
  echo "SKIP: lintian is missing (apt-get install lintian)"
  exit 77
fi
# Warnings are shown; errors fail.
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || true
[ "${lintian_status:-0}" = 0 ] && ! grep -q '^E: ' "$work/lintian.log" || fail "lintian found errors"
echo "lintian finds no errors"
