#!/usr/bin/env bash
# Builds the Debian package from the build tree, installs it with dpkg into a temporary root, and
# converts pictures with the lumivert-cli installed there. Exit 77 (skipped) where that cannot be done.
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
[ "$(file -b --mime-type "$root/usr/share/icons/hicolor/32x32/apps/lumivert.png")" = image/png ] || fail "icon"

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
