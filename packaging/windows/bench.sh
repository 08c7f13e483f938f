#!/usr/bin/env bash
# The Windows build against the Debian build on 200 photographs of 640 x 480, side by side in one run:
# decoding and reducing in process from memory (bench_photos), then the whole lumivert-cli, where
# Wine's own cost of creating files is part of the Windows figure.
# Usage: bench.sh WINDOWS_BUILD DEBIAN_BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
debian=$(cd "$2" && pwd)
toolchain=$(sed -n 's/^LUMIVERT_WINDOWS_TOOLCHAIN:[A-Z]*=//p' "$build/CMakeCache.txt")
cmake --build "$debian" --target bench_photos lumivert-cli >/dev/null
cmake --build "$build" --target bench_photos lumivert-cli >/dev/null
photos=$debian/bench-photos
if [ "$(find "$photos" -name '*.jpg' 2>/dev/null | wc -l)" != 200 ]; then
  rm -rf "$photos"
  /usr/bin/python3 "$source/bench/make_photos.py" "$photos" 200
fi
export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(realpath "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
export WINEPATH="$(windows_path "$toolchain/qt/bin");$(windows_path "$runtime");$(windows_path "$pthread")"
display=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$display" 2>/dev/null &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -f "$display"' EXIT
for _ in $(seq 50); do [ -s "$display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$display")
wineboot -i >/dev/null 2>&1 || true
# A program that crashes ends, failing its test, instead of waiting in Wine's debugger.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1

echo "== in process, from memory (decode + reduce) =="
echo "-- Debian build"
"$debian/bench/bench_photos" "$photos"
echo "-- Windows build under Wine"
wine "$build/bench/bench_photos.exe" "$(windows_path "$photos")"

echo "== the whole lumivert-cli, --jobs 1, 200 files written =="
for side in debian windows; do
  out=$build/bench-out-$side
  rm -rf "$out" && mkdir -p "$out"
  start=$(date +%s%N)
  if [ $side = debian ]; then
    "$debian/lumivert-cli" convert --quiet --jobs 1 --out-dir "$out" "$photos"
  else
    wine "$build/lumivert-cli.exe" convert --quiet --jobs 1 --out-dir "$(windows_path "$out")" "$(windows_path "$photos")"
  fi
  echo "$side: $((($(date +%s%N) - start) / 1000000)) ms"
done
start=$(date +%s%N)
wine "$build/lumivert-cli.exe" --version >/dev/null
echo "(Wine's own start of a program: $((($(date +%s%N) - start) / 1000000)) ms; the rest of the Windows" \
  "figure beyond the in-process time is mostly Wine creating files)"
