#!/usr/bin/env bash
# Installs what is missing, builds the program and its default resources, and runs the show.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPULSVEK_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"
exec build/launcher/pulsvek "$@"
