#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang and libFuzzer under ASan and
# UBSan in build-fuzz, and runs each for a fixed time on its kept corpus and
# crash inputs. New inputs go to a scratch corpus; an input that crashes is left
# in <build>/fuzz-findings/<target>/ and fails the run: once the fault is fixed,
# keep it in tests/fuzz/regressions/<target>/, where the test build replays it.
#
#   tools/fuzz.sh                  # every target for 10 s (as CI does)
#   tools/fuzz.sh 600              # every target for ten minutes
#   tools/fuzz.sh 300 tracks png   # some targets
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(archive png mp3 objectfile tracks shader ivf)
fi

build=${PULSVEK_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSVEK_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export LP_NUM_THREADS=1
# The targets' scratch files; a crashed run leaves its own behind here.
export TMPDIR=$PWD/$build/fuzz-tmp
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

# The object files' target uploads meshes: it needs an X display.
run() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 640x480x24" "$@"; fi
}

status=0
for target in "${targets[@]}"; do
  work="$build/fuzz-work/$target"
  findings="$build/fuzz-findings/$target"
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  inputs=(tests/fuzz/corpus/"$target")
  [ -d tests/fuzz/regressions/"$target" ] && inputs+=(tests/fuzz/regressions/"$target")
  echo "fuzz: $target for ${seconds}s"
  if ! run "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "${inputs[@]}" \
      >"$build/fuzz-$target.log" 2>&1; then
    echo "fuzz: $target FAILED, input in $findings (log $build/fuzz-$target.log)"
    tail -40 "$build/fuzz-$target.log"
    status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$build/fuzz-$target.log" | tr '\n' ' '
    echo
  fi
done
exit $status
