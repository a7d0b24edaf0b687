#!/usr/bin/env bash
# Installs what is missing, builds the program and the show's resources (not
# the tests: tools/test.sh builds those), and starts the shipped program from
# the folder that holds resources.7z: the launcher dialog first, then the show.
# Needs a display: a desktop session, or a virtual X server
# (xvfb-run -a -s "-screen 0 1280x720x24" tools/run.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPULSVEK_BENCHMARKS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target pulsvek show_resources

if [ -z "${DISPLAY:-}" ]; then
  echo "No display: run this in a desktop session, or under xvfb-run." >&2
  exit 1
fi
cd build/show
exec ./pulsvek "$@"
