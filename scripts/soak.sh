#!/usr/bin/env bash
# The crash soak: kills ombra at random moments while it writes a data file and checks the file
# against a model after every kill.
#
#   scripts/soak.sh [kills] [seed]      default: 1000 kills, seed 1
#
# Builds ombra, the module and the harness into build/soak (BUILD_DIR overrides) when needed.
set -euo pipefail
kills="${1:-1000}"
seed="${2:-1}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/soak}"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target soak_harness ombra DataInOut -j2 >/dev/null
exec "$build/bin/soak_harness" --ombra "$build/bin/ombra" --kills "$kills" --seed "$seed"
