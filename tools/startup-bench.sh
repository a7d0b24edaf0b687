#!/usr/bin/env bash
# Start-up time and resident memory of the show against the bare-GL floor, cold
# (no shader cache), floor and show runs taking turns under one X server.
#   tools/startup-bench.sh [BUILD] [RUNS]
# BUILD: a Release build folder (default build-rel); RUNS: pairs of runs (default 5).
# FLOOR: the floor script (default ../shared/bench/floor.sh beside the checkout).
# MUSIC_KB: the decoded soundtrack, which the floor does not hold (default 35863 kB,
# 44.1 kHz stereo 16-bit of the shipped music).
# Prints each run, then the medians: the show's first frame against the floor's
# 1st + tex + sh + jit, and the show's resident memory at its first frame against
# the floor's peak plus the music.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build-rel}" && pwd)
runs=${2:-5}
floor=${FLOOR:-$here/../shared/bench/floor.sh}
music_kb=${MUSIC_KB:-35863}
[ -x "$build/tools/devrun/devrun" ] || { echo "no devrun in $build" >&2; exit 1; }
[ -f "$build/show/resources.7z" ] || { echo "no resources.7z in $build/show" >&2; exit 1; }
[ -x "$floor" ] || { echo "no floor script at $floor" >&2; exit 1; }

export MESA_SHADER_CACHE_DISABLE=true
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export BUILD="$build" RUNS="$runs" FLOOR_SH="$floor" MUSIC_KB="$music_kb"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
set -euo pipefail
out=$(mktemp -d)
trap "rm -rf $out" EXIT
median() { sort -n | awk "{ v[NR] = \$1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }"; }
for i in $(seq "$RUNS"); do
  /usr/bin/time -v "$FLOOR_SH" 1280 720 31 30 > "$out/floor" 2> "$out/floor.time"
  line=$(grep " m31 " "$out/floor")
  sum=$(echo "$line" | awk "{ for (i = 1; i < NF; ++i) if (\$i == \"1st\" || \$i == \"tex\" || \$i == \"sh\" || \$i == \"jit\") s += \$(i + 1); print s }")
  peak=$(awk "/Maximum resident/ { print \$NF }" "$out/floor.time")
  (cd "$BUILD/show" && ../tools/devrun/devrun --size 1280x720 --start 10 --end 11 --stats > "$out/show" 2>&1)
  first=$(awk "/first frame after/ { print \$(NF - 1) }" "$out/show")
  resident=$(awk "/resident .* at the first frame/ { print \$3 }" "$out/show")
  echo "run $i: floor 1st+tex+sh+jit $sum ms, peak $peak kB; show first frame $first ms, resident $resident kB"
  echo "$sum" >> "$out/sums"; echo "$peak" >> "$out/peaks"
  echo "$first" >> "$out/firsts"; echo "$resident" >> "$out/residents"
done
sum=$(median < "$out/sums"); peak=$(median < "$out/peaks")
first=$(median < "$out/firsts"); resident=$(median < "$out/residents")
awk -v s="$sum" -v f="$first" "BEGIN { printf \"start-up: show %.0f ms, floor %.0f ms, ratio %.2f (at most 1.5)\n\", f, s, f / s }"
awk -v p="$peak" -v m="$MUSIC_KB" -v r="$resident" \
  "BEGIN { printf \"memory: show %d kB, floor %d kB + music %d kB = %d kB, ratio %.3f (at most 1)\n\", r, p, m, p + m, r / (p + m) }"
'
