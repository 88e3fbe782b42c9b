#!/usr/bin/env bash
# Runs each fuzz target of a fuzz build for SECONDS each, one after the other, seeded from
# the corpus kept in the tree (fuzz/corpus/TARGET, fuzz/seeds/TARGET) and the fixtures;
# prints runs, executions per second and what the run added to its working corpus.
# Usage: fuzz.sh BUILD_DIR [SECONDS (default 15)] [TARGET...]
# A longer campaign refreshes the kept corpus from its working corpus with libFuzzer's
# merge, which keeps only inputs that add coverage:
#   BUILD/fuzz_x -merge=1 fuzz/corpus/fuzz_x BUILD/fuzz-work/fuzz_x
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
SECONDS_EACH=${2:-15}
shift $(($# < 2 ? $# : 2))
ONLY=("$@")
WORK=$BUILD/fuzz-work
mkdir -p "$WORK"
status=0
for target in "$BUILD"/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  name=$(basename "$target")
  if [ ${#ONLY[@]} -gt 0 ] && ! printf '%s\n' "${ONLY[@]}" | grep -qx "$name"; then continue; fi
  corpus=$WORK/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "$ROOT/fuzz/seeds/$name" ] && seeds+=("$ROOT/fuzz/seeds/$name")
  [ -d "$ROOT/fuzz/corpus/$name" ] && seeds+=("$ROOT/fuzz/corpus/$name")
  # The fixtures as seeds only where no corpus is kept for the target (the kept one
  # already holds their pieces, small).
  [ -d "$ROOT/fuzz/corpus/$name" ] ||
  case $name in
    fuzz_reg_file) cp -f "$ROOT"/tests/fixtures/machines/*/registry.reg "$corpus/" 2>/dev/null || true ;;
    fuzz_machine_ini) for f in "$ROOT"/tests/fixtures/machines/*/machine.ini; do cp -f "$f" "$corpus/$(basename "$(dirname "$f")").ini"; done ;;
    fuzz_cpuid_text) for f in "$ROOT"/tests/fixtures/machines/*/cpuid.txt "$ROOT"/tests/fixtures/cpuid/*.txt; do [ -f "$f" ] && cp -f "$f" "$corpus/"; done ;;
  esac
  printf '%-28s ' "$name"
  # Inputs stay small: every syntax and structure fits in 4 KB, and a 24 KB input costs
  # each execution its whole length.
  # The CPU time too: on a shared machine executions per CPU second say more than per
  # wall-clock second.
  timer=()
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -f '%U %S' -o "$WORK/$name.cpu")
  if (cd "$WORK" && "${timer[@]}" "$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
        -artifact_prefix="$WORK/$name-" "$corpus" "${seeds[@]}" >"$WORK/$name.log" 2>&1); then
    runs=$(grep -Eo 'Done [0-9]+ runs in [0-9]+' "$WORK/$name.log" | tail -1 | awk '{print $2, $5}')
    read -r n secs <<<"${runs:-0 0}"
    cpu=$(awk '{printf "%d", ($1 + $2) * 1000}' "$WORK/$name.cpu" 2>/dev/null || echo 0)
    printf '%10s runs, %7s exec/s, %7s exec per CPU second, working corpus %s files\n' "$n" \
      "$((secs > 0 ? n / secs : n))" "$((cpu > 0 ? n * 1000 / cpu : 0))" "$(find "$corpus" -type f | wc -l)"
  else
    echo "FAILED (see $WORK/$name.log)"; tail -30 "$WORK/$name.log"; status=1
  fi
done
exit $status
