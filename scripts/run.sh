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
export KESTROVA_WINEPREFIX=$OUT/win64/wineprefix KESTROVA_WINVER=winxp
if [ -x "$ROOT/scripts/run-kestrova.sh" ] && [ -f "$OUT/win64/kestrova.exe" ]; then
  exec "$ROOT/scripts/run-kestrova.sh" "$OUT/win64"
fi
# Until the window exists: what the engine's primitives see of this (Wine) machine.
exec "$ROOT/scripts/wine-run.sh" "$OUT/win64/kestrova-report.exe"
