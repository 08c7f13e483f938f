#!/usr/bin/env bash
# A display that fails a check (under 24 bits, or narrower than 800 pixels): one warning at the
# first check, no main window, and the program ends with status 0 once OK is pressed.
# Usage: display_warning.sh WxHxDEPTH
source "$(dirname "$0")/lib.sh"

start_x "$1"
start_app

wait_window 5000 --class '^lumivert$' >/dev/null || fail "no splash screen within 5 s"
splash_shown=$(now_ms)
warning=$(wait_window 5000 --name '^警告$') || fail "no warning within 5 s of the splash screen"
delay=$(($(now_ms) - splash_shown))
echo "warning shown ${delay} ms after the splash screen"
# The first check runs half a second in; the main window would come at two seconds.
expect_time_between "delay of the warning" "$delay" 300 1500

kill -0 "$APP" 2>/dev/null || fail "the program ended before the warning was acknowledged"
# Two more check periods with the warning open: the program keeps waiting on that one box.
sleep 1.1
[ "$(visible_count --name '^警告$')" -eq 1 ] || fail "more than one warning is open"
if xdotool search --name '^256色Lumivert$' >/dev/null 2>&1; then
    fail "the main window opened on a display that fails the checks"
fi
kill -0 "$APP" 2>/dev/null || fail "the program ended before the warning was acknowledged"

focus "$warning"
acknowledged=$(now_ms)
xdotool key Return
wait_exit 3000 || fail "the program still runs 3 s after the warning was acknowledged"
echo "ended $(($(now_ms) - acknowledged)) ms after OK"
[ "$APP_STATUS" -eq 0 ] || fail "exit status $APP_STATUS, expected 0"
echo "PASS"
