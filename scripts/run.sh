#!/usr/bin/env bash
# Builds Kestrova for Windows (x86_64, the build Wine runs here) and runs it under Wine
# set to Windows XP, in a private Wine prefix inside the build tree.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${KESTROVA_BUILD:-$ROOT/build}
"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$OUT/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-win64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$OUT/win64" -j"$(nproc)" >/dev/null
# With a display: the window. Without one: the full report of this (Wine) machine, then
# a screenshot of the window after a run (path printed at the end).
KESTROVA_BUILD=$OUT/win64 exec "$ROOT/scripts/run-kestrova.sh"
