#!/usr/bin/env bash
# The show's frame, start-up and memory figures against the bare-GL floor, all
# in one session under one X server:
#   - the floor (the bare-GL program tests/bench/floor, mask 31) at 1280x720
#     and 1920x1080;
#   - the show (devrun) over the middle 8 s of every section of the music and
#     over the closing card, at both sizes: median and p90 frame time (after
#     two seconds of warm-up);
#   - start-up, cold (no shader cache): the show's first frame against the
#     floor's 1st + tex + sh + jit (medians of BENCH_START_RUNS turns, 3);
#   - resident memory at the show's first frame (1280x720) against the floor's
#     peak resident set plus the decoded music.
# Needs a Release build of devrun, the floor and the show's resources:
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
#   cmake --build build -j 4 --target devrun floor show_resources
#   tools/benchmark.sh [--build DIR] [--floor PATH] [--sizes "1280x720 1920x1080"]
# --floor runs another floor program with the same command line
# (PATH W H [mask] [frames] [split]) in place of the build's.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)

build=$top/build
floor=
sizes="1280x720 1920x1080"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --floor) floor=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--floor PATH] [--sizes \"WxH ...\"]" >&2
       echo "needs a Release build: cmake -S . -B build -DCMAKE_BUILD_TYPE=Release &&" \
         "cmake --build build -j 4 --target devrun floor show_resources" >&2
       exit 2 ;;
  esac
done

# One X server for every run.
if [ -z "${BENCH_UNDER_X:-}" ]; then
  export BENCH_UNDER_X=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" --build "$build" ${floor:+--floor "$floor"} --sizes "$sizes"
fi
floor=${floor:-$build/tests/bench/floor/floor}

devrun=$build/tools/devrun/devrun
show=$build/show
for f in "$devrun" "$show/resources.7z" "$floor"; do
  [ -e "$f" ] || { echo "benchmark: $f is missing (cmake --build $build --target devrun floor show_resources," \
    "in a Release build)" >&2; exit 1; }
done
kind=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
[ "$kind" = Release ] || { echo "benchmark: $build is not a Release build (${kind:-no CMakeCache.txt})" >&2; exit 1; }
arrangement=$top/content/music/arrangement.txt
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
export MESA_SHADER_CACHE_DISABLE=true
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# Sections from the arrangement: "name start_s end_s", then the closing card.
sections=$(awk '
  $1 == "tempo" { tempo = $2 }
  $1 == "beats_per_bar" { beats = $2 }
  $1 == "section" { bar = beats * 60 / tempo; s = $3 * bar; e = ($3 + $4) * bar
                    print $2, s, e; last = e }
  END { print "card", last + 2, last + 10 }' "$arrangement")
music_s=$(printf '%s\n' "$sections" | awk '$1 != "card" { e = $3 } END { print e }')

floor_line() { "$floor" "$1" "$2" 31 "${3:-200}" 2>/dev/null | tail -n 1; }
field() { awk -v k="$1" '{ for (i = 1; i < NF; ++i) if ($i == k) { print $(i + 1); exit } }'; }

declare -A floor_med floor_p90
for size in $sizes; do
  w=${size%x*}; h=${size#*x}
  line=$(floor_line "$w" "$h")
  floor_med[$size]=$(field med <<<"$line")
  floor_p90[$size]=$(field p90 <<<"$line")
  echo "floor $size: $line"
done

printf '\n%-10s %-10s %9s %9s %9s %7s\n' section size median p90 floor ratio
for size in $sizes; do
  while read -r name s e; do
    mid=$(awk -v s="$s" -v e="$e" 'BEGIN { print (s + e) / 2 }')
    # Two seconds of warm-up (the renderer compiles shaders on their first draws).
    w0=$(awk -v m="$mid" 'BEGIN { print m - 6 }')
    a=$(awk -v m="$mid" 'BEGIN { print m - 4 }'); b=$(awk -v m="$mid" 'BEGIN { print m + 4 }')
    (cd "$show" && "$devrun" --size "$size" --start "$w0" --stats-from "$a" --end "$b") >"$log/run" 2>&1 || true
    stats=$(grep -m1 'devrun: .* frames, median' "$log/run" || true)
    med=$(field median <<<"$stats"); p90=$(field p90 <<<"$stats")
    if [ -z "$med" ]; then
      printf '%-10s %-10s %9s\n' "$name" "$size" failed
      continue
    fi
    printf '%-10s %-10s %9.1f %9.1f %9.1f %7.2f\n' "$name" "$size" "$med" "$p90" "${floor_med[$size]}" \
      "$(awk -v a="$med" -v b="${floor_med[$size]}" 'BEGIN { print a / b }')"
  done <<<"$sections"
done

# Start-up and memory at 1280x720, cold: floor and show runs in turns, medians.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
: >"$log/sums"; : >"$log/peaks"; : >"$log/firsts"; : >"$log/residents"
for i in $(seq "${BENCH_START_RUNS:-3}"); do
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -v "$floor" 1280 720 31 20 >"$log/floor" 2>"$log/time" || true
    awk '/Maximum resident set size/ { print $NF }' "$log/time" >>"$log/peaks"
  else
    "$floor" 1280 720 31 20 >"$log/floor" 2>/dev/null || true
  fi
  awk '/ m31 / { s = 0; for (i = 1; i < NF; ++i) if ($i ~ /^(1st|tex|sh|jit)$/) s += $(i + 1); print s }' \
    "$log/floor" >>"$log/sums"
  (cd "$show" && "$devrun" --size 1280x720 --start 10 --end 11 --stats) >"$log/start" 2>&1 || true
  grep -m1 'first frame after' "$log/start" | field after >>"$log/firsts"
  grep -m1 'devrun: resident' "$log/start" | field resident >>"$log/residents"
done
floor_start=$(median <"$log/sums"); show_start=$(median <"$log/firsts")
show_kb=$(median <"$log/residents"); floor_kb=$([ -s "$log/peaks" ] && median <"$log/peaks" || true)
# The decoded soundtrack (44.1 kHz, stereo, 16 bits), which the floor does not hold.
music_kb=$(awk -v s="$music_s" 'BEGIN { printf "%d", s * 44100 * 4 / 1024 }')

echo
printf 'start-up (cold): show %.0f ms, floor 1st+tex+sh+jit %.0f ms, ratio %.2f\n' "$show_start" "$floor_start" \
  "$(awk -v a="$show_start" -v b="$floor_start" 'BEGIN { print a / b }')"
if [ -n "$floor_kb" ]; then
  printf 'resident at the first frame: show %d kB, floor peak %d kB + music %d kB = %d kB, ratio %.2f\n' \
    "$show_kb" "$floor_kb" "$music_kb" $((floor_kb + music_kb)) \
    "$(awk -v a="$show_kb" -v b=$((floor_kb + music_kb)) 'BEGIN { print a / b }')"
else
  printf 'resident at the first frame: show %d kB (no /usr/bin/time for the floor)\n' "$show_kb"
fi
