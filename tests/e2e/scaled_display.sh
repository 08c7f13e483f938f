#!/usr/bin/env bash
# Under a scale factor the display checks count the screen's own pixels: 1024 pixels at a factor of
# 1.5 are 683 logical ones, and still pass the width check. The main window follows, no warning.
# Usage: scaled_display.sh WxHxDEPTH SCALE
source "$(dirname "$0")/lib.sh"

start_x "$1"
export QT_SCALE_FACTOR=$2
start_app
wait_window 5000 --class '^lumivert$' >/dev/null || fail "no splash screen within 5 s"
wait_window 5000 --name '^256色Lumivert$' >/dev/null || fail "no main window at scale $2"
if xdotool search --name '^警告$' >/dev/null 2>&1; then
    fail "a display warning at scale $2"
fi
echo "PASS"
