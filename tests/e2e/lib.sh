# Shared by the end-to-end scripts: a private X server, the program under test, polling with
# deadlines, and cleanup on every way out. Sourced, never run.
#
# Environment: LUMIVERT (the program), E2E_IMGTOOL (the picture helper), both set by CTest.

set -euo pipefail

: "${LUMIVERT:?LUMIVERT must name the program}"

for tool in Xvfb xdotool xclip; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (make test installs it)"
        exit 77
    fi
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/lumivert-e2e.XXXXXX")
APP=""
XVFB=""
EXTRA_PIDS=()

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    if [ "$status" -ne 0 ] && [ -s "$WORK/app.log" ]; then
        echo "--- program output ---" >&2
        cat "$WORK/app.log" >&2
    fi
    for pid in $APP "${EXTRA_PIDS[@]}" $XVFB; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $APP "${EXTRA_PIDS[@]}" $XVFB; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Milliseconds on a clock read without starting a process.
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $((t / 1000))
}

# scaled MS: a deadline as written where time is measured (LUMIVERT_TIMING set, the entries labelled
# `timing`), four times as long in the plain run, which a busy machine must not fail.
scaled() {
    if [ -n "${LUMIVERT_TIMING:-}" ]; then echo "$1"; else echo $(($1 * 4)); fi
}

# Starts an X server with one screen "WxHxD" and exports its DISPLAY. -displayfd picks a free
# display number and writes it once the server accepts connections.
start_x() {
    local fifo="$WORK/displayfd"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fifo" >"$WORK/xvfb.log" 2>&1 &
    XVFB=$!
    local number=""
    if ! read -r -t "$(($(scaled 10000) / 1000))" number <"$fifo" || [ -z "$number" ]; then
        cat "$WORK/xvfb.log" >&2
        fail "Xvfb did not start with screen $1"
    fi
    export DISPLAY=":$number"
    mkdir -m 700 "$WORK/run"
    export XDG_RUNTIME_DIR="$WORK/run"
}

# Starts a window manager on the X server, for tests of what the frame does; waits until it has
# taken the screen (it sets _NET_SUPPORTING_WM_CHECK on the root window).
start_wm() {
    command -v openbox >/dev/null || { echo "SKIP: openbox is not installed (make test installs it)"; exit 77; }
    openbox --sm-disable >"$WORK/wm.log" 2>&1 &
    EXTRA_PIDS+=($!)
    local deadline=$(($(now_ms) + $(scaled 5000)))
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the window manager did not start"
        sleep 0.05
    done
}

# Sets FX, FY, FW, FH to a managed window's outer rectangle, its frame included.
frame_geometry() {
    local extents left right top bottom
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
    [ -n "$extents" ] || return 1
    IFS=', ' read -r left right top bottom <<<"$extents"
    # xdotool counts a reparented window's offset twice; xwininfo's absolute corner is right.
    local info
    info=$(xwininfo -id "$1")
    local x y w h
    x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
    w=$(sed -n 's/.*Width: *//p' <<<"$info")
    h=$(sed -n 's/.*Height: *//p' <<<"$info")
    FX=$((x - left)) FY=$((y - top)) FW=$((w + left + right)) FH=$((h + top + bottom))
}

# Starts the program with ARGS and notes when, in APP_STARTED (ms).
start_app() {
    APP_STARTED=$(now_ms)
    "$LUMIVERT" "$@" >"$WORK/app.log" 2>&1 &
    APP=$!
}

# wait_window DEADLINE_MS XDOTOOL_SEARCH_ARGS...
# Prints the first visible window matching, as soon as there is one; fails after the deadline.
wait_window() {
    local deadline=$(($(now_ms) + $(scaled "$1")))
    shift
    local ids
    while :; do
        if ids=$(xdotool search --onlyvisible "$@" 2>/dev/null) && [ -n "$ids" ]; then
            echo "${ids%%$'\n'*}"
            return 0
        fi
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# visible_count XDOTOOL_SEARCH_ARGS...: how many visible windows match.
visible_count() {
    local ids
    ids=$(xdotool search --onlyvisible "$@" 2>/dev/null) || true
    if [ -n "$ids" ]; then wc -l <<<"$ids"; else echo 0; fi
}

# wait_count DEADLINE_MS COUNT XDOTOOL_SEARCH_ARGS...: until exactly COUNT visible windows match.
# The splash screen and popup menus carry no title that xdotool can match, so they are told by
# how many of the program's windows are up.
wait_count() {
    local deadline=$(($(now_ms) + $(scaled "$1"))) want=$2
    shift 2
    while [ "$(visible_count "$@")" -ne "$want" ]; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# The program's visible windows other than WINDOW, one a line: its splash screen or popups.
others() {
    xdotool search --onlyvisible --class '^lumivert$' 2>/dev/null | grep -vx "$1" || true
}

# wait_exit DEADLINE_MS: until the program has ended; its exit status goes to APP_STATUS.
wait_exit() {
    local deadline=$(($(now_ms) + $(scaled "$1")))
    while kill -0 "$APP" 2>/dev/null; do
        [ "$(now_ms)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
    APP_STATUS=0
    wait "$APP" || APP_STATUS=$?
    APP=""
}

# Sets X, Y, WIDTH, HEIGHT of a window. With no window manager these are the client's own.
geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
}

# Gives a window the keyboard; without a window manager nobody else does.
focus() {
    timeout "$(($(scaled 5000) / 1000))" xdotool windowfocus --sync "$1" || fail "window $1 did not take the keyboard focus"
}

expect_between() { # NAME VALUE LOW HIGH
    [ "$2" -ge "$3" ] && [ "$2" -le "$4" ] || fail "$1 is $2, expected $3..$4"
}

# A time window. Its upper end only where time is measured: a busy machine or a sanitizer build
# makes everything late, never early.
expect_time_between() { # NAME MS LOW HIGH
    if [ -z "${LUMIVERT_TIMING:-}" ]; then
        echo "$1: $2 ms (only the lower bound $3 checked outside the timing run)"
        expect_between "$1" "$2" "$3" "$2"
        return 0
    fi
    expect_between "$@"
}

imgtool() {
    QT_QPA_PLATFORM=offscreen "$E2E_IMGTOOL" "$@"
}

# grab WINDOW FILE: saves what the window shows as a PNG.
grab() {
    QT_QPA_PLATFORM=xcb "$E2E_IMGTOOL" grab "$@"
}
