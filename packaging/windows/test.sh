#!/usr/bin/env bash
# The Windows build under Wine, on a private X server (Wine needs one even for a console program):
#  1. the test suite built for Windows (CTest runs each test program under Wine);
#  2. the packaged lumivert-cli.exe on the test corpus, every method with --fit, byte for byte as this
#     machine's build; a Japanese file name, a UNC path, a full disk, Ctrl+C;
#  3. the packaged lumivert.exe: splash, main window, a picture opened through the open dialog,
#     "誤差拡散(&E)" and "320×240(&3)" chosen, converted and saved as the Debian build's bytes; the
#     BIN file opened back and exported as BMP; the clipboard's bitmap (CF_DIB) with another program,
#     both ways; screenshots of each step in wine-screens/;
#  4. the installer, silent: installs, the installed program starts, the uninstaller removes it all.
# Usage: test.sh WINDOWS_BUILD DEBIAN_BUILD     (PARTS=suite,cli,window,installer to run some only)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
debian=$(cd "$2" && pwd)
parts=${PARTS:-suite,cli,window,installer}
toolchain=$(sed -n 's/^LUMIVERT_WINDOWS_TOOLCHAIN:[A-Z]*=//p' "$build/CMakeCache.txt")
version=$(sed -n 's/^project(Lumivert VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
stage=$build/Lumivert-$version-win64
corpus=$source/tests/data/corpus
work=$build/wine-test
screens=$build/wine-screens
umount "$work/full" 2>/dev/null || true
rm -rf "$work" "$screens"
mkdir -p "$work" "$screens"

export WINEPREFIX=$build/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winedbg.exe=d"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# The test programs are not packaged: they find Qt's DLLs and MinGW's runtime where they were built.
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
WINEPATH="$(windows_path "$toolchain/qt/bin");$(windows_path "$runtime");$(windows_path "$(realpath "$pthread")")"
export WINEPATH

failures=0
fail() {
  echo "test-windows: FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() { echo "test-windows: ok: $*"; }

xvfb=
cleanup() {
  umount "$work/full" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
start=$(date +%s)
wineboot -i >/dev/null 2>&1 || true
# A program that crashes ends, failing its test, instead of waiting in Wine's debugger.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
echo "test-windows: Wine prefix ready in $(($(date +%s) - start)) s ($WINEPREFIX)"

wants() { [[ ,$parts, == *,$1,* ]]; }

# 1. The suite. The shell-driven X11 tests and the Debian package are Debian's own; the corpus test,
# five processes a picture, is part 2 here, where the whole corpus goes through lumivert-cli.exe in
# one run a method against the Debian build's bytes.
if wants suite; then
  if (cd "$build" && ctest --output-on-failure -j2 -LE 'package|timing|e2e' -E 'cli/tst_cli_corpus'); then
    pass "the suite under Wine"
  else
    fail "the suite under Wine"
  fi
fi

# 2. The corpus through both command-line programs.
if wants cli; then
  for method in none nearest floyd-steinberg ordered; do
    for fit in 320x240; do
      mkdir -p "$work/cli/$method-$fit/debian" "$work/cli/$method-$fit/windows"
      set +e
      "$debian/lumivert-cli" convert --quiet --keep-going -r --fit $fit --dither $method \
        --out-dir "$work/cli/$method-$fit/debian" "$corpus/jpeg" "$corpus/bmpsuite" 2>/dev/null
      debian_status=$?
      wine "$stage/lumivert-cli.exe" convert --quiet --keep-going -r --fit $fit --dither $method \
        --out-dir "$(windows_path "$work/cli/$method-$fit/windows")" "$(windows_path "$corpus/jpeg")" \
        "$(windows_path "$corpus/bmpsuite")" 2>/dev/null
      windows_status=$?
      set -e
      count=$(find "$work/cli/$method-$fit/debian" -type f | wc -l)
      if [ "$debian_status" != "$windows_status" ]; then
        fail "--dither $method --fit $fit: exit status $windows_status under Wine, $debian_status on Debian"
      elif [ "$count" = 0 ] || ! diff -r "$work/cli/$method-$fit/debian" "$work/cli/$method-$fit/windows" >&2; then
        fail "--dither $method --fit $fit: the BIN files differ from the Debian build's"
      else
        pass "--dither $method --fit $fit: $count BIN files byte for byte the Debian build's"
      fi
    done
  done
  # A Japanese name, as an argument and as the output's name.
  cp "$corpus/jpeg/$(ls "$corpus/jpeg" | grep -m1 -i 'progressive')" "$work/写真.jpg"
  "$debian/lumivert-cli" convert --quiet -o "$work/debian.BIN" "$work/写真.jpg" || true
  if wine "$stage/lumivert-cli.exe" convert --quiet "$(windows_path "$work/写真.jpg")" &&
    cmp -s "$work/写真.BIN" "$work/debian.BIN"; then
    pass "a Japanese file name"
  else
    fail "a Japanese file name: 写真.jpg did not become the Debian build's 写真.BIN"
  fi
  # A UNC path (Wine serves \\server\photos from a folder through its prefix): read, the BIN file
  # named beside the picture, and the path shown as given.
  mkdir -p "$WINEPREFIX/dosdevices/unc/server" "$work/unc"
  ln -sfn "$work/unc" "$WINEPREFIX/dosdevices/unc/server/photos"
  cp "$work/写真.jpg" "$work/unc/写真.jpg"
  "$debian/lumivert-cli" convert --quiet --fit 320x240 -o "$work/unc-debian.BIN" "$work/写真.jpg" || true
  wine "$stage/lumivert-cli.exe" convert --quiet --fit 320x240 '\\server\photos\写真.jpg' 2>/dev/null || true
  shown=$(wine "$stage/lumivert-cli.exe" info '\\server\photos\写真.BIN' 2>&1 || true)
  if [ -s "$work/unc-debian.BIN" ] && cmp -s "$work/unc/写真.BIN" "$work/unc-debian.BIN" &&
    [[ $shown == '\\server\photos\写真.BIN: BIN 320x240'* ]]; then
    pass "a UNC path: \\\\server\\photos\\写真.jpg became the Debian build's 写真.BIN beside it"
  else
    fail "a UNC path: \\\\server\\photos\\写真.jpg (info said: ${shown%$'\r'})"
  fi
  # A full disk, where a small file system can be mounted here: the save says so, and the old file
  # stays with no temporary file beside it.
  mkdir -p "$work/full"
  if mount -t tmpfs -o size=64k tmpfs "$work/full" 2>/dev/null; then
    echo old >"$work/full/a.BIN"
    said=$(wine "$stage/lumivert-cli.exe" convert --fit 320x240 -o "$(windows_path "$work/full/a.BIN")" \
      "$(windows_path "$work/写真.jpg")" 2>&1 || true)
    if [ "$(cat "$work/full/a.BIN")" = old ] && [ "$(ls -A "$work/full")" = a.BIN ] &&
      [[ $said == *"No space left on device"* ]]; then
      pass "a full disk: the save says so, the old file stays, no temporary file"
    else
      fail "a full disk: ${said%$'\r'}; left: $(ls -A "$work/full" | tr '\n' ' ')"
    fi
    umount "$work/full"
  else
    echo "test-windows: skipped: a full disk (no small file system can be mounted here)"
  fi
  # Ctrl+C, which Wine hands to a console program as a SIGINT: the run stops once the files being
  # written are complete, with exit status 130, and leaves no temporary file.
  mkdir -p "$work/interrupt/in" "$work/interrupt/out"
  for i in $(seq 300); do cp "$work/写真.jpg" "$work/interrupt/in/$i.jpg"; done
  set +e
  wine "$stage/lumivert-cli.exe" convert --quiet --jobs 2 --fit 320x240 \
    --out-dir "$(windows_path "$work/interrupt/out")" "$(windows_path "$work/interrupt/in")" 2>/dev/null &
  runner=$!
  for _ in $(seq 300); do [ -n "$(ls "$work/interrupt/out")" ] && break; sleep 0.1; done
  pkill -INT -f 'lumivert-cli\.exe convert --quiet --jobs 2'
  wait $runner
  status=$?
  set -e
  written=$(find "$work/interrupt/out" -type f | wc -l)
  if [ "$status" != 130 ] || [ "$written" -ge 300 ]; then
    fail "Ctrl+C: exit status $status after $written of 300 BIN files"
  elif [ -n "$(find "$work/interrupt/out" -type f ! -name '*.BIN' -o -type f ! -size 76800c)" ]; then
    fail "Ctrl+C: a temporary or incomplete file was left: $(ls -a "$work/interrupt/out" | grep -v '\.BIN$' | head -3)"
  else
    pass "Ctrl+C: exit status 130 after $written of 300 BIN files, each complete, no temporary file"
  fi
fi

# 3. The window, driven from outside as a user would.
window_id() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
wait_window() { # NAME SECONDS
  for _ in $(seq $(($2 * 10))); do
    id=$(window_id "$1") && [ -n "$id" ] && echo "$id" && return 0
    sleep 0.1
  done
  return 1
}
wait_file() { # FILE SECONDS
  for _ in $(seq $(($2 * 10))); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}
shot() { import -window root "$screens/$1.png"; }
# A file dialog: its name typed into the name box, which has the focus.
type_into_dialog() { # FILE
  sleep 1.5
  xdotool key ctrl+a
  xdotool type --delay 20 "$(windows_path "$1")"
  sleep 0.3
  xdotool key Return
}
if wants window; then
  picture=$work/photo.jpg
  cp "$corpus/jpeg/jpegdecoder_progressive3.jpg" "$picture" # a photograph of 650 x 470
  "$debian/lumivert-cli" convert --quiet --dither floyd-steinberg --fit 320x240 -o "$work/debian.BIN" "$picture"
  "$debian/lumivert-cli" show -o "$work/debian.bmp" "$work/debian.BIN"
  (cd "$work" && exec wine "$stage/lumivert.exe") >"$work/window.log" 2>&1 &
  app=$!
  if ! splash=$(wait_window . 60); then
    fail "lumivert.exe showed no window within 60 s"
  else
    shot 1-splash
    if main=$(wait_window '^256色Lumivert$' 30); then
      pass "the main window titled 256色Lumivert"
      sleep 1
      xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
      xdotool key alt+f && sleep 1 && shot 2-file-menu && xdotool key Escape Escape
      # The method and the fit first: a picture is fitted as it is opened.
      xdotool key alt+r && sleep 0.5 && xdotool key m && sleep 0.5 && shot 3-method-menu && xdotool key e
      xdotool key alt+r && sleep 0.5 && xdotool key f && sleep 0.5 && xdotool key 3
      xdotool key ctrl+o && type_into_dialog "$picture" && sleep 2
      xdotool key F5 && sleep 2 && shot 4-converted
      xdotool key ctrl+s && type_into_dialog "$work/window.BIN"
      if wait_file "$work/window.BIN" 10 && cmp -s "$work/window.BIN" "$work/debian.BIN"; then
        pass "the window's BIN file (誤差拡散, 320×240) is byte for byte the Debian build's"
      else
        fail "the window's BIN file is missing or differs from the Debian build's"
      fi
      # BINファイルを開く(&B) shares its letter with 自動処理(&B): chosen by its place in the menu.
      xdotool key alt+f && sleep 0.5 && xdotool key Down Return && type_into_dialog "$work/window.BIN" && sleep 2
      shot 5-bin-opened
      xdotool key ctrl+e && type_into_dialog "$work/window.bmp"
      if wait_file "$work/window.bmp" 10 && cmp -s "$work/window.bmp" "$work/debian.bmp"; then
        pass "the BIN file opened back and exported as the Debian build's BMP"
      else
        fail "the exported BMP is missing or differs from the Debian build's"
      fi
      # The clipboard in the device-independent bitmap that Windows programs exchange, with a program
      # that speaks nothing else: the picture copied reaches it, and its bitmap is pasted.
      clipboard() { wine "$build/tests/dibclipboard.exe" "$1" "$(windows_path "$2")"; }
      pixels() { convert "$1" -depth 8 rgb:- | md5sum; }
      xdotool key ctrl+c && sleep 1
      if clipboard get "$work/copied.bmp" && [ "$(pixels "$work/copied.bmp")" = "$(pixels "$work/debian.bmp")" ]; then
        pass "the picture copied reaches another program as a bitmap (CF_DIB), pixel for pixel"
      else
        fail "another program found no bitmap, or another picture, on the clipboard after コピー"
      fi
      convert "$picture" -resize '320x240!' "BMP3:$work/offered.bmp"
      "$debian/lumivert-cli" convert --quiet --dither floyd-steinberg -o "$work/offered-debian.BIN" "$work/offered.bmp"
      clipboard put "$work/offered.bmp"
      xdotool key ctrl+v && sleep 2 && xdotool key F5 && sleep 2 && shot 6-pasted-converted
      xdotool key ctrl+s && type_into_dialog "$work/pasted.BIN"
      if wait_file "$work/pasted.BIN" 10 && cmp -s "$work/pasted.BIN" "$work/offered-debian.BIN"; then
        pass "another program's bitmap (CF_DIB) pasted, converted and saved as the Debian build's BIN file"
      else
        fail "another program's bitmap was not pasted, or its BIN file differs from the Debian build's"
      fi
      xdotool key alt+f && sleep 0.5 && xdotool key x
    else
      shot 2-no-main-window
      fail "no window titled 256色Lumivert within 30 s of the splash"
    fi
  fi
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  kill "$app" 2>/dev/null && fail "lumivert.exe still ran after 終了(&X)"
  wait "$app" 2>/dev/null || true
fi

# 4. The installer and the uninstaller, silent.
if wants installer; then
  programs="$WINEPREFIX/drive_c/Program Files/Lumivert"
  menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/256色Lumivert.lnk"
  key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumivert'
  # A key as text (reg query prints in the console's code page, which has no 色).
  registry() { wine reg export "$1" "$work/key.reg" /y >/dev/null 2>&1 && iconv -f UTF-16 -t UTF-8 "$work/key.reg"; }
  wine "$build/Lumivert-$version-win64-setup.exe" /S
  if [ -f "$programs/lumivert.exe" ] && [ -f "$programs/platforms/qwindows.dll" ] && [ -f "$menu" ] &&
    registry "$key" | grep -q '"DisplayName"="256色Lumivert"' &&
    registry 'HKLM\Software\Classes\.jpg\OpenWithProgids' | grep -q '"Lumivert.Picture"=""' &&
    ! registry 'HKLM\Software\Classes\.jpg' | grep -q '^@=.*Lumivert'; then
    pass "the installer: files, Start-menu entry, programs list, Open with"
  else
    fail "the installer left something out"
  fi
  if wine "$programs/lumivert-cli.exe" --version | grep -q "$version"; then
    pass "the installed lumivert-cli.exe starts"
  else
    fail "the installed lumivert-cli.exe did not start"
  fi
  # The uninstaller copies itself away and returns at once: its work is waited for.
  wine "$programs/uninstall.exe" /S
  for _ in $(seq 300); do [ -e "$programs" ] || break; sleep 0.1; done
  if [ ! -e "$programs" ] && [ ! -e "$menu" ] && ! wine reg query "$key" >/dev/null 2>&1 &&
    ! wine reg query 'HKLM\Software\Classes\Lumivert.Picture' >/dev/null 2>&1; then
    pass "the uninstaller removed the files, the entry and the keys"
  else
    fail "the uninstaller left something behind"
    find "$programs" 2>/dev/null | head >&2 || true
  fi
fi

echo "test-windows: screenshots in $screens"
[ "$failures" = 0 ] || { echo "test-windows: $failures failed" >&2; exit 1; }
echo "test-windows: all passed"
