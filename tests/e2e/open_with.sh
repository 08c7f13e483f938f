#!/usr/bin/env bash
# "Open with": `lumivert FILE` opens the file as a drop on the picture would, once the main window is
# up; a file that cannot be opened gets the drop's message. --help and --version print and end
# without a window, with no display at all; so does an unknown option, with status 2.
source "$(dirname "$0")/lib.sh"

for option in --help --version; do
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$LUMIVERT" "$option") ||
        fail "$option did not end with status 0"
    [ -n "$out" ] || fail "$option printed nothing"
done
[[ $(env -u DISPLAY "$LUMIVERT" --version) == "256色Lumivert "* ]] || fail "--version does not name the program"
status=0
err=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$LUMIVERT" --bogus 2>&1 >/dev/null) || status=$?
[ "$status" -eq 2 ] || fail "--bogus ended with status $status, not 2"
[[ $err == "lumivert: --bogus は使えないオプションです。"* ]] || fail "--bogus printed: $err"

start_x 1024x768x24
picture="$WORK/写真 1.png"
imgtool pattern 40 30 "$picture" || fail "cannot make the test picture"

start_app "$picture"
wait_window 8000 --name "^256色Lumivert\\(.*写真 1\\.png\\)$" >/dev/null ||
    fail "the main window does not name $picture: $(xdotool search --name 'Lumivert' getwindowname %@ 2>/dev/null)"
kill "$APP"; wait "$APP" 2>/dev/null || true; APP=""

start_app "$WORK/no such file.png"
wait_window 8000 --name '^注意$' >/dev/null || fail "no message for a file that cannot be opened"
echo "PASS"
