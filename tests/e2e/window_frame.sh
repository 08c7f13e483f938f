#!/usr/bin/env bash
# Under a window manager the main window's outer size, its frame included, is the designed one:
# 800x600 centred, or the whole of a screen exactly 800 wide. With a SCALE (Qt's scale factor) the
# designed size may not fit; the window then lies wholly inside the screen, menu bar included.
# Usage: window_frame.sh WxHxDEPTH [SCALE]
source "$(dirname "$0")/lib.sh"

start_x "$1"
start_wm
IFS=x read -r screen_w screen_h _ <<<"$1"
scale=${2:-}
if [ "$screen_w" -eq 800 ]; then want_w=$screen_w want_h=$screen_h; else want_w=800 want_h=600; fi

if [ -n "$scale" ]; then export QT_SCALE_FACTOR=$scale; fi
start_app
splash=$(wait_window 5000 --class '^lumivert$') || fail "no splash screen within 5 s"
eval "$(xdotool getwindowgeometry --shell "$splash")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
main=$(wait_window 5000 --name '^256色Lumivert$') || fail "no main window after a click on the splash screen"

if [ -n "$scale" ]; then
    # Wait until the window has taken in its frame, then check it lies inside the screen.
    deadline=$(($(now_ms) + $(scaled 5000)))
    until frame_geometry "$main" && [ "$FX" -ge 0 ] && [ "$FY" -ge 0 ] &&
        [ $((FX + FW)) -le "$screen_w" ] && [ $((FY + FH)) -le "$screen_h" ]; do
        [ "$(now_ms)" -lt "$deadline" ] ||
            fail "window ${FW:-?}x${FH:-?} at ${FX:-?},${FY:-?} runs off the ${screen_w}x${screen_h} screen"
        sleep 0.05
    done
    echo "outer window ${FW}x${FH} at $FX,$FY on a ${screen_w}x${screen_h} screen at scale $scale"
    import -window root "$WORK/shot.png" 2>/dev/null && [ -n "${E2E_SHOTS:-}" ] && cp "$WORK/shot.png" "$E2E_SHOTS/"
    echo "PASS"
    exit 0
fi

# The frame arrives after the window is shown; give the window a moment to take it in.
deadline=$(($(now_ms) + $(scaled 5000)))
until frame_geometry "$main" && [ "$FW" -eq "$want_w" ] && [ "$FH" -eq "$want_h" ]; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "outer window is ${FW:-?}x${FH:-?}, expected ${want_w}x${want_h}"
    sleep 0.05
done
echo "outer window ${FW}x${FH} at $FX,$FY on a ${screen_w}x${screen_h} screen"
expect_between "outer left edge" "$FX" $(((screen_w - want_w) / 2)) $(((screen_w - want_w + 1) / 2))
expect_between "outer top edge" "$FY" $(((screen_h - want_h) / 2)) $(((screen_h - want_h + 1) / 2))
echo "PASS"
