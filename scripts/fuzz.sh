#!/usr/bin/env bash
# Runs each fuzz target of a fuzz build for a few seconds, seeded from the fixtures.
# Usage: fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
SECONDS_EACH=${2:-15}
WORK=$BUILD/fuzz-work
mkdir -p "$WORK"
status=0
for target in "$BUILD"/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  name=$(basename "$target")
  corpus=$WORK/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "$ROOT/fuzz/seeds/$name" ] && seeds+=("$ROOT/fuzz/seeds/$name")
  case $name in
    fuzz_reg_file) cp -f "$ROOT"/tests/fixtures/machines/*/registry.reg "$corpus/" 2>/dev/null || true ;;
    fuzz_machine_ini) for f in "$ROOT"/tests/fixtures/machines/*/machine.ini; do cp -f "$f" "$corpus/$(basename "$(dirname "$f")").ini"; done ;;
    fuzz_cpuid_text) for f in "$ROOT"/tests/fixtures/machines/*/cpuid.txt "$ROOT"/tests/fixtures/cpuid/*.txt; do [ -f "$f" ] && cp -f "$f" "$corpus/"; done ;;
  esac
  printf '%-28s ' "$name"
  if (cd "$WORK" && "$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$WORK/$name-" "$corpus" "${seeds[@]}" >"$WORK/$name.log" 2>&1); then
    grep -Eo 'Done [0-9]+ runs' "$WORK/$name.log" | tail -1
  else
    echo "FAILED (see $WORK/$name.log)"; tail -30 "$WORK/$name.log"; status=1
  fi
done
exit $status
