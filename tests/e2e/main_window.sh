#!/usr/bin/env bash
# A display that passes the checks: the main window opens by itself about two seconds after start,
# in place of the splash screen, sized 800x600 and centred, or covering a screen exactly 800 wide.
# A click on the splash screen's margin must not open it early. "終了(&X)" ends the program.
# Usage: main_window.sh WxHxDEPTH
source "$(dirname "$0")/lib.sh"

start_x "$1"
IFS=x read -r screen_w screen_h _ <<<"$1"
if [ "$screen_w" -eq 800 ]; then
    want_w=$screen_w want_h=$screen_h
else
    want_w=800 want_h=600
fi

start_app
splash=$(wait_window 5000 --class '^lumivert$') || fail "no splash screen within 5 s"
splash_shown=$(now_ms)
geometry "$splash"
# The margin left of the inner frame takes no clicks.
xdotool mousemove $((X + 3)) $((Y + HEIGHT / 2)) click 1

main=$(wait_window 6000 --name '^256色Lumivert$') || fail "no main window within 6 s of the splash screen"
opened=$(now_ms)
echo "main window $((opened - APP_STARTED)) ms after start," \
    "$((opened - splash_shown)) ms after the splash screen"
expect_time_between "time from start to the main window (ms)" $((opened - APP_STARTED)) 1500 4000
expect_time_between "time from the splash screen to the main window (ms)" $((opened - splash_shown)) 1400 3000

wait_count 2000 1 --class '^lumivert$' || fail "the splash screen stayed open beside the main window"
if xdotool search --name '^警告$' >/dev/null 2>&1; then
    fail "a warning was shown on a display that passes the checks"
fi

geometry "$main"
echo "main window ${WIDTH}x${HEIGHT} at $X,$Y on a ${screen_w}x${screen_h} screen"
[ "$WIDTH" -eq "$want_w" ] && [ "$HEIGHT" -eq "$want_h" ] ||
    fail "main window is ${WIDTH}x${HEIGHT}, expected ${want_w}x${want_h}"
# Centred; only an odd remainder leaves a choice of pixel.
expect_between "left edge" "$X" $(((screen_w - want_w) / 2)) $(((screen_w - want_w + 1) / 2))
expect_between "top edge" "$Y" $(((screen_h - want_h) / 2)) $(((screen_h - want_h + 1) / 2))

focus "$main"
xdotool key alt+f
wait_count 2000 2 --class '^lumivert$' || fail "the file menu did not open"
xdotool key x
wait_exit 3000 || fail "the program still runs 3 s after 終了(&X)"
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS after 終了(&X), expected 0"
echo "PASS"
