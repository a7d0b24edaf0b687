#!/usr/bin/env bash
# Installs what is missing, builds the tests with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them all (CPU, GL and end-to-end) under a
# virtual X server.
# Extra arguments go to ctest, for example: tools/test.sh -L gl
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
build=${PULSVEK_TEST_BUILD:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DPULSVEK_SANITIZE=ON -DPULSVEK_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# LeakSanitizer reports the X server client libraries' own allocations otherwise.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export PULSVEK_REQUIRE_GL=1
# Many GL tests run at once: one rasteriser thread each avoids oversubscribing the cores.
export LP_NUM_THREADS=${LP_NUM_THREADS:-1}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# -noreset: the server does not restart (refusing connections) whenever its
# last client leaves, between one test process and the next.
xvfb-run -a -s "-screen 0 1280x720x24 -noreset" \
  ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"

# Without a choice of tests, the fuzz targets are built with libFuzzer as well
# and replay their kept inputs: the same commit always gives the same result
# (tools/fuzz.sh with a time fuzzes with random seeds, on request).
if [ $# -eq 0 ]; then
  tools/fuzz.sh --replay
fi
