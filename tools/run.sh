#!/usr/bin/env bash
# Installs what is missing, builds the program, and runs what exists of the show.
#
# The production itself (its effects, resources and the launcher) is not built yet,
# so this runs the engine's test production: it loads from a packed resources.7z,
# plays its music and draws its timeline for ten seconds (Escape ends it early).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPULSVEK_BENCHMARKS=OFF >/dev/null
cmake --build build -j "$(nproc)"

run=build/testshow-run
rm -rf "$run"
mkdir -p "$run"
cp -r tests/production/resources "$run/"
cd "$run"
../tests/testshow_pack 7z >/dev/null
echo "The show is not built yet: running the engine's test production from resources.7z."
exec ../tests/testshow 1 00:10:000 "Velmora Pulsvek - engine test production"
