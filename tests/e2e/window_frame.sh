#!/usr/bin/env bash
# Under a window manager the main window's outer size, its frame included, is the designed one:
# 800x600 centred, or the whole of a screen exactly 800 wide, and it lies inside the screen.
# Usage: window_frame.sh WxHxDEPTH
source "$(dirname "$0")/lib.sh"

start_x "$1"
start_wm
IFS=x read -r screen_w screen_h _ <<<"$1"
if [ "$screen_w" -eq 800 ]; then want_w=$screen_w want_h=$screen_h; else want_w=800 want_h=600; fi

start_app
splash=$(wait_window 5000 --class '^lumivert$') || fail "no splash screen within 5 s"
geometry "$splash"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
main=$(wait_window 5000 --name '^256色Lumivert$') || fail "no main window after a click on the splash screen"

# The frame arrives after the window is shown; give the window a moment to take it in.
deadline=$(($(now_ms) + 5000))
until frame_geometry "$main" && [ "$FW" -eq "$want_w" ] && [ "$FH" -eq "$want_h" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "outer window is ${FW:-?}x${FH:-?}, expected ${want_w}x${want_h}"
    sleep 0.05
done
echo "outer window ${FW}x${FH} at $FX,$FY on a ${screen_w}x${screen_h} screen"
expect_between "outer left edge" "$FX" $(((screen_w - want_w) / 2)) $(((screen_w - want_w + 1) / 2))
expect_between "outer top edge" "$FY" $(((screen_h - want_h) / 2)) $(((screen_h - want_h + 1) / 2))
echo "PASS"
