#!/usr/bin/env bash
# Clipboard round trip through the popup menu of the picture box: a PNG put on the clipboard by
# another client is pasted and shown pixel for pixel; copying it back hands out the same pixels.
# Then the keyboard: Ctrl+V pastes and Shift+F10 opens the menu.
source "$(dirname "$0")/lib.sh"

start_x 1024x768x24

# Puts a file on the clipboard from a client that keeps it there until someone else takes it.
offer() { # FILE TYPE
    xclip -quiet -selection clipboard -t "$2" -i "$1" >/dev/null 2>&1 &
    EXTRA_PIDS+=($!)
    local deadline=$(($(now_ms) + $(scaled 5000)))
    until xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$2"; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "xclip did not take the clipboard"
        sleep 0.02
    done
}

# Right-clicks the middle of the picture box and picks item INDEX of the popup menu
# (0 コピー, 1 ペースト, 2 キャンセル), whose three items share its height.
choose() { # INDEX
    local px=$((MAIN_X + BOX_X + BOX_W / 2)) py=$((MAIN_Y + BOX_Y + BOX_H / 2))
    xdotool mousemove "$px" "$py" click 3
    wait_count 3000 2 --class '^lumivert$' || fail "no popup menu after a right click on the picture"
    local popup
    popup=$(others "$main")
    geometry "$popup"
    [ "$X" -eq "$px" ] && [ "$Y" -eq "$py" ] || fail "popup menu at $X,$Y, not at the pointer ($px,$py)"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT * (2 * $1 + 1) / 6)) click 1
    wait_count 3000 1 --class '^lumivert$' || fail "the popup menu stayed open"
}

# Polls a shot of the main window until the picture box measures W x H; sets BOX_X/Y/W/H.
wait_box() { # W H
    local deadline=$(($(now_ms) + $(scaled 5000))) found
    while :; do
        if grab "$main" "$WORK/shot.png" && found=$(imgtool findbox "$WORK/shot.png" 2>/dev/null); then
            read -r BOX_X BOX_Y BOX_W BOX_H <<<"$found"
            [ "$BOX_W" -eq "$1" ] && [ "$BOX_H" -eq "$2" ] && return 0
        fi
        [ "$(now_ms)" -lt "$deadline" ] || fail "picture box is ${BOX_W:-?}x${BOX_H:-?}, expected $1x$2"
        sleep 0.05
    done
}

imgtool pattern 40 30 "$WORK/picture.png" || fail "cannot make the test picture"
imgtool pattern 20 10 "$WORK/other.png" || fail "cannot make the test picture"
offer "$WORK/picture.png" image/png

start_app
splash=$(wait_window 5000 --class '^lumivert$') || fail "no splash screen within 5 s"
geometry "$splash"
clicked=$(now_ms)
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
main=$(wait_window 3000 --name '^256色Lumivert$') || fail "no main window after a click on the splash screen"
echo "main window $(($(now_ms) - clicked)) ms after the click on the splash screen"
expect_time_between "time from the click to the main window" $(($(now_ms) - clicked)) 0 1199
geometry "$main"
MAIN_X=$X MAIN_Y=$Y

# The empty box at its design place: 8 pixels in, 32 below the menu bar, 324 x 244 outside.
wait_box 324 244
[ "$BOX_X" -eq 8 ] || fail "picture box starts $BOX_X pixels in, expected 8"
echo "picture box at $BOX_X,$BOX_Y in the window (menu bar $((BOX_Y - 32)) pixels high)"

choose 1
wait_box 44 34
imgtool compare "$WORK/shot.png" "$WORK/picture.png" $((BOX_X + 2)) $((BOX_Y + 2)) ||
    fail "the pasted picture is not shown as it was on the clipboard"

# Something else on the clipboard, so that reading the picture back proves the copy.
offer "$WORK/other.png" image/png
choose 0
deadline=$(($(now_ms) + $(scaled 5000)))
until xclip -selection clipboard -t image/png -o >"$WORK/copied.png" 2>/dev/null &&
    imgtool compare "$WORK/picture.png" "$WORK/copied.png" 2>"$WORK/compare.log"; do
    if [ "$(now_ms)" -ge "$deadline" ]; then
        cat "$WORK/compare.log" >&2
        fail "the copied picture differs from the pasted one"
    fi
    sleep 0.05
done
if xclip -selection clipboard -t TARGETS -o | grep -qx image/bmp; then
    xclip -selection clipboard -t image/bmp -o >"$WORK/copied.bmp"
    imgtool compare "$WORK/picture.png" "$WORK/copied.bmp" || fail "the copy offered as BMP differs"
else
    fail "the copy is not offered as a bitmap (image/bmp)"
fi

# The same by keyboard: Ctrl+V pastes, Shift+F10 opens the menu at the picture.
offer "$WORK/other.png" image/png
focus "$main"
xdotool key ctrl+v
wait_box 24 14
imgtool compare "$WORK/shot.png" "$WORK/other.png" $((BOX_X + 2)) $((BOX_Y + 2)) || fail "Ctrl+V did not paste the picture"
xdotool key shift+F10
wait_count 3000 2 --class '^lumivert$' || fail "Shift+F10 opened no menu"
xdotool key Escape
wait_count 3000 1 --class '^lumivert$' || fail "the menu stayed open after Escape"
echo "PASS"
