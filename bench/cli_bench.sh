#!/usr/bin/env bash
# Times lumivert-cli on 200 photo-like 640x480 JPEG pictures beside a TurboJPEG decode-only floor and a
# Python (Pillow + NumPy) peer doing the same truncation, and prints a table.
# Usage: cli_bench.sh BUILD_DIR [RUNS]   (needs libturbojpeg0-dev python3-pil python3-numpy time)
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-7}
here=$(cd "$(dirname "$0")" && pwd)
work=$build/bench-cli
cli=$build/lumivert-cli
python=/usr/bin/python3 # Debian's, which has python3-pil and python3-numpy
[ -x "$cli" ] || { echo "no $cli: build first" >&2; exit 1; }
mkdir -p "$work"

if [ ! -x "$work/jpeg_floor" ] || [ "$here/jpeg_floor.cpp" -nt "$work/jpeg_floor" ]; then
  g++ -O2 -o "$work/jpeg_floor" "$here/jpeg_floor.cpp" -lturbojpeg
fi
if [ "$(find "$work/photos" -name '*.jpg' 2>/dev/null | wc -l)" != 200 ] || [ "$here/make_photos.py" -nt "$work/photos" ]; then
  rm -rf "$work/photos"
  echo "making 200 pictures in $work/photos ..."
  "$python" "$here/make_photos.py" "$work/photos" 200
fi
photos=("$work"/photos/*.jpg)
shm_dir=""
if [ -d /dev/shm ] && [ -w /dev/shm ]; then shm_dir=$(mktemp -d /dev/shm/lumivert-bench.XXXXXX); fi
trap '[ -n "$shm_dir" ] && rm -rf "$shm_dir"' EXIT

# measure NAME OUTDIR COMMAND...: one warm-up run, then $runs timed runs, each into an emptied OUTDIR.
# Sets median, best (seconds) and rss (MB, the largest seen).
measure() {
  local name=$1 out=$2
  shift 2
  local times=() peak=0 i start end kb
  for ((i = 0; i <= runs; i++)); do
    rm -rf "$out"
    mkdir -p "$out"
    sync
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$work/rss.txt" "$@" >/dev/null
    end=$(date +%s%N)
    kb=$(tail -n 1 "$work/rss.txt")
    ((kb > peak)) && peak=$kb
    ((i > 0)) && times+=($((end - start)))
  done
  mapfile -t sorted < <(printf '%s\n' "${times[@]}" | sort -n)
  median=$(awk -v ns="${sorted[$((runs / 2))]}" 'BEGIN { printf "%.3f", ns / 1e9 }')
  best=$(awk -v ns="${sorted[0]}" 'BEGIN { printf "%.3f", ns / 1e9 }')
  rss=$(awk -v kb="$peak" 'BEGIN { printf "%.1f", kb / 1024 }')
  results+=("$name|$median|$best|$rss")
}

results=()
measure "(a) TurboJPEG decode only (floor)" "$work/out-floor" "$work/jpeg_floor" "${photos[@]}"
floor=$median
measure "(b) Python Pillow + NumPy peer" "$work/out-peer" "$python" "$here/peer_convert.py" "$work/out-peer" "${photos[@]}"
peer=$median
measure "(c) lumivert-cli --jobs 1" "$work/out-j1" "$cli" convert --jobs 1 --out-dir "$work/out-j1" "$work/photos"
jobs1=$median
measure "(d) lumivert-cli --jobs 2" "$work/out-j2" "$cli" convert --jobs 2 --out-dir "$work/out-j2" "$work/photos"
jobs2=$median
if [ -n "$shm_dir" ]; then
  measure "(e) --jobs 1, BIN files on tmpfs" "$shm_dir/out" "$cli" convert --jobs 1 --out-dir "$shm_dir/out" "$work/photos"
  measure "(f) --jobs 2, BIN files on tmpfs" "$shm_dir/out" "$cli" convert --jobs 2 --out-dir "$shm_dir/out" "$work/photos"
fi

same=yes
for f in "$work"/out-peer/*.BIN; do
  cmp -s "$f" "$work/out-j1/$(basename "$f")" && cmp -s "$f" "$work/out-j2/$(basename "$f")" || same=no
done

echo
echo "200 pictures of 640x480, $(nproc) cores, median of $runs runs after a warm-up (best in brackets)"
printf '%-36s %16s %10s %13s\n' "contender" "wall s" "vs floor" "peak RSS MB"
for r in "${results[@]}"; do
  IFS='|' read -r name med bst mb <<<"$r"
  printf '%-36s %7s (%6s) %9.2fx %13s\n' "$name" "$med" "$bst" "$(awk -v a="$med" -v b="$floor" 'BEGIN { print a / b }')" "$mb"
done
echo
echo "BIN files of lumivert-cli identical to the peer's: $same"
rss_cli=$(printf '%s\n' "${results[@]}" | awk -F'|' '/lumivert-cli/ { if ($4 > m) m = $4 } END { print m }')
awk -v a="$jobs1" -v b="$floor" 'BEGIN { printf "%-44s %6.2f  %s\n", "--jobs 1 / floor (goal <= 1.15)", a / b, (a / b <= 1.15) ? "met" : "MISSED" }'
awk -v a="$peer" -v b="$jobs1" 'BEGIN { printf "%-44s %6.2f  %s\n", "peer / --jobs 1 (goal >= 1.8)", a / b, (a / b >= 1.8) ? "met" : "MISSED" }'
awk -v a="$jobs1" -v b="$jobs2" 'BEGIN { printf "%-44s %6.2f  %s\n", "--jobs 1 / --jobs 2 (goal >= 1.7)", a / b, (a / b >= 1.7) ? "met" : "MISSED" }'
awk -v m="$rss_cli" 'BEGIN { printf "%-44s %6.1f  %s\n", "lumivert-cli peak RSS MB (goal <= 40)", m, (m <= 40) ? "met" : "MISSED" }'
