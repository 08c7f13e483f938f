#!/usr/bin/env bash
# Builds the fuzz harnesses with clang and runs each for a short while from its seeds.
# Fails when a harness crashes, hangs or breaks an invariant; the input is kept under
# $FUZZ_BUILD/artifacts/<harness>/.
#
#   FUZZ_BUILD    build directory (default: build-fuzz)
#   FUZZ_SECONDS  time per harness (default: 60)
#   FUZZ_JOBS     parallel compile jobs (default: 2)
#   CORPUS        the third-party picture corpus (default: tests/data/corpus)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-2}
corpus=${CORPUS:-tests/data/corpus}

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DLUMIVERT_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs"

# Working corpora are fresh copies: libFuzzer adds its finds to them, never to the seeds.
work="$build/work"
rm -rf "$work" "$build/artifacts" "$build/logs"
mkdir -p "$work/picture" "$work/bin" "$work/selection" "$build/logs"

if [ ! -d "$corpus/bmpsuite" ] || [ ! -d "$corpus/jpeg" ]; then
  echo "the picture corpus is missing at $corpus" >&2
  exit 1
fi
for dir in "$corpus"/bmpsuite/*/; do
  class=$(basename "$dir")
  for f in "$dir"*; do cp "$f" "$work/picture/bmpsuite_${class}_$(basename "$f")"; done
done
cp "$corpus"/jpeg/* "$work/picture/"
for kind in picture bin selection; do
  if [ -d "fuzz/seeds/$kind" ] && [ -n "$(ls -A "fuzz/seeds/$kind")" ]; then
    cp "fuzz/seeds/$kind"/* "$work/$kind/"
  fi
done
chmod -R u+w "$work"

# Whole BIN files of both lengths with every byte value, and one a byte too long for any geometry.
ramp=$(for i in $(seq 0 255); do printf '\\%03o' "$i"; done)
ramp_times() { for _ in $(seq "$1"); do printf "$ramp"; done; }
ramp_times 300 >"$work/bin/generated_320x240_ramp.bin"
ramp_times 1200 >"$work/bin/generated_640x480_ramp.bin"
{ ramp_times 300; printf 'x'; } >"$work/bin/generated_76801_bytes.bin"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=()
summary=()
for harness in fuzz_picture fuzz_bin fuzz_selection; do
  kind=${harness#fuzz_}
  log="$build/logs/$harness.log"
  mkdir -p "$build/artifacts/$harness"
  echo "== $harness: ${seconds}s from $(ls "$work/$kind" | wc -l) seeds"
  status=0
  "$build/$harness" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$harness/" "$work/$kind" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -ne 0 ]; then
    failed+=("$harness")
    tail -n 60 "$log"
    echo "$harness failed (exit $status); input kept in $build/artifacts/$harness/:"
    ls -l "$build/artifacts/$harness/"
  fi
  summary+=("$(printf '%-15s %10s executions%s' "$harness" "${runs:-?}" "$([ "$status" -ne 0 ] && echo '  FAILED')")")
done

echo "== fuzz smoke (${seconds}s each)"
printf '%s\n' "${summary[@]}"
if [ "${#failed[@]}" -ne 0 ]; then
  echo "failed: ${failed[*]} (logs in $build/logs/)"
  exit 1
fi
