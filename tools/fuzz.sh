#!/usr/bin/env bash
# Builds the fuzz targets (tests/fuzz) with clang and libFuzzer under ASan and
# UBSan in build-fuzz and runs each on its kept corpus and crash inputs: for a
# time with a random seed (fuzzing, on purpose), or with --replay each kept
# input once and nothing else (what tools/test.sh runs: even from a fixed seed
# the inputs a fuzzing run tries differ from run to run).
# New inputs go to a scratch corpus; an input that crashes is left in
# <build>/fuzz-findings/<target>/ and fails the run: once the fault is fixed,
# keep it in tests/fuzz/regressions/<target>/, where the test build replays it.
#
#   tools/fuzz.sh                  # every target for 10 s, random seeds
#   tools/fuzz.sh 600              # every target for ten minutes
#   tools/fuzz.sh 300 tracks png   # some targets
#   tools/fuzz.sh --replay         # every target, its kept inputs once
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time="${1:-10}")
what="${1:-10}s"
if [ "${1:-}" = "--replay" ]; then
  limit=(-runs=0)
  what="its kept inputs once"
fi
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(archive png mp3 objectfile tracks shader ivf)
fi

build=${PULSVEK_FUZZ_BUILD:-build-fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSVEK_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null

# A library that asks for more than 2 GiB at once gets no memory and says so,
# which is a refused input; our own code's allocations (operator new) still
# fail the run, as does memory that is really used past 4 GiB.
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_may_return_null=1:max_allocation_size_mb=2048}
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
  echo "fuzz: $target, $what"
  if ! run "$build/tests/fuzz/fuzz_$target" "${limit[@]}" -timeout=20 -rss_limit_mb=4096 \
      -malloc_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "${inputs[@]}" >"$build/fuzz-$target.log" 2>&1; then
    echo "fuzz: $target FAILED, input in $findings (log $build/fuzz-$target.log)"
    tail -40 "$build/fuzz-$target.log"
    status=1
  else
    grep -E "^stat::number_of_executed_units|^Done" "$build/fuzz-$target.log" | tr '\n' ' '
    echo
  fi
done
exit $status
