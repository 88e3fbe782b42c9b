#!/usr/bin/env bash
# Runs every test of Kestrova on a Debian 12 machine, as root: installs what is missing,
# builds the three configurations (native with its unit tests under ASan/UBSan, win64 with
# its Wine tests, win32 the release build), the fuzz targets with a short run of each, and
# checks that the Windows programs need no DLL beside them.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${KESTROVA_BUILD:-$ROOT/build}
FUZZ_SECONDS=${KESTROVA_FUZZ_SECONDS:-15}
JOBS=${KESTROVA_JOBS:-$(nproc)}
cd "$ROOT"

step() { printf '\n=== %s (%ss)\n' "$*" "$SECONDS"; }

# A compiler cache, when the machine has one, makes a second run mostly a link.
CACHE=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$ROOT
  CACHE=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

step "packages"
"$ROOT/scripts/install-deps.sh"

step "native build and unit tests"
cmake -S . -B "$OUT/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON -DKESTROVA_WERROR=ON "${CACHE[@]}" >/dev/null
cmake --build "$OUT/native" -j"$JOBS"
ctest --test-dir "$OUT/native" --output-on-failure -j"$JOBS"

step "native build and unit tests at -O2"
# As a user's Release build compiles: some warnings (GCC's -Warray-bounds among them) only
# show when optimising without the sanitizers, and some faults only without them.
cmake -S . -B "$OUT/native-o2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_WERROR=ON "${CACHE[@]}" >/dev/null
cmake --build "$OUT/native-o2" -j"$JOBS"
ctest --test-dir "$OUT/native-o2" --output-on-failure -j"$JOBS"

step "fuzz targets (${FUZZ_SECONDS}s each)"
CC=clang CXX=clang++ cmake -S . -B "$OUT/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTROVA_FUZZ=ON -DKESTROVA_SANITIZE=ON -DKESTROVA_WERROR=ON "${CACHE[@]}" >/dev/null
cmake --build "$OUT/fuzz" -j"$JOBS"
"$ROOT/scripts/fuzz.sh" "$OUT/fuzz" "$FUZZ_SECONDS"

step "win64 build and Wine tests"
cmake -S . -B "$OUT/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-win64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKESTROVA_WERROR=ON "${CACHE[@]}" >/dev/null
cmake --build "$OUT/win64" -j"$JOBS"
ctest --test-dir "$OUT/win64" --output-on-failure

step "win32 release build"
cmake -S . -B "$OUT/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-win32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKESTROVA_TESTS=OFF -DKESTROVA_WERROR=ON "${CACHE[@]}" >/dev/null
cmake --build "$OUT/win32" -j"$JOBS"

step "static linking"
"$ROOT/scripts/check-static.sh" "$OUT/win64" x86_64-w64-mingw32-objdump
"$ROOT/scripts/check-static.sh" "$OUT/win32" i686-w64-mingw32-objdump --old-windows

step "all tests passed"
