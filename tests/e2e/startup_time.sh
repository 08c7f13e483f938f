#!/usr/bin/env bash
# How long the program takes from launch until its splash screen is on the screen. A measurement
# more than a test: it only fails when start-up is far beyond anything a user would accept.
# Usage: startup_time.sh [RUNS]
source "$(dirname "$0")/lib.sh"

runs=${1:-5}
limit_ms=3000
start_x 1024x768x24

times=()
for ((run = 1; run <= runs; ++run)); do
    start_app
    wait_window 10000 --class '^lumivert$' >/dev/null || fail "run $run: no splash screen within 10 s"
    times+=($(($(now_ms) - APP_STARTED)))
    kill "$APP"
    wait "$APP" 2>/dev/null || true
    APP=""
done

sorted=$(printf '%s\n' "${times[@]}" | sort -n)
median=$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")
worst=$(tail -n 1 <<<"$sorted")
echo "start-up to visible splash screen (ms): ${times[*]}; median $median, worst $worst"
[ "$worst" -lt "$limit_ms" ] || fail "start-up took $worst ms, over $limit_ms ms"
echo "PASS"
