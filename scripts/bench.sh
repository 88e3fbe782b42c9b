#!/usr/bin/env bash
# Measures Kestrova and writes the figures to a results file (nothing here is asserted):
#   - the full 28-category kestrova-report run under Wine (winxp, the win64 build, a
#     private prefix), median of RUNS, next to `inxi -F` and `lshw -short` run on this
#     machine in the same loop, so that their ratio holds however loaded the machine is;
#   - each section's time under Wine (kestrova-report --times);
#   - peak memory (maximum resident set of the Wine process, and of the native replay);
#   - launch of kestrova.exe to the window's header (tests/win/gui/measure_startup.sh);
#   - the --machine replay of every recorded machine, natively (-O2 build);
#   - SMBIOS and EDID decode costs in instructions (valgrind callgrind, collecting only
#     inside the decode functions).
# Every figure is written with the load average at the time: the machine is shared, so
# absolute times are noisy and ratios within one run are what count.
#
#   bench.sh [RUNS (default 5)]
# Environment: KESTROVA_BUILD (default <repo>/build): win64 and native-o2 are built there
# (incrementally) and the results go to $KESTROVA_BUILD/bench/results.txt.
# KESTROVA_BENCH_PARTS: which measurements, among "wine startup replay decode" (all).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${KESTROVA_BUILD:-$ROOT/build}
RUNS=${1:-5}
JOBS=${KESTROVA_JOBS:-2}
WINE=${KESTROVA_WINE:-/usr/lib/wine/wine64}
WINESERVER=${KESTROVA_WINESERVER:-/usr/lib/wine/wineserver64}
PARTS=" ${KESTROVA_BENCH_PARTS:-wine startup replay decode} "
part() { [[ $PARTS == *" $1 "* ]]; }
BENCH=$OUT/bench
RESULTS=$BENCH/results.txt
mkdir -p "$BENCH"
cd "$ROOT"

# --- tools: what the measurements run besides our own programs
missing=()
for p in inxi lshw valgrind time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "bench.sh: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- the two builds it measures
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if part wine || part startup; then
cmake -S . -B "$OUT/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-win64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build "$OUT/win64" -j"$JOBS" --target kestrova-report kestrova kestrova-watch >/dev/null
fi
if part replay || part decode; then
cmake -S . -B "$OUT/native-o2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$OUT/native-o2" -j"$JOBS" --target kestrova-report >/dev/null
fi
NATIVE=$OUT/native-o2/kestrova-report
REPORT_EXE=$OUT/win64/kestrova-report.exe

load() { cut -d' ' -f1-3 /proc/loadavg; }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
now_ns() { date +%s%N; }
# Runs a command, output discarded; prints its wall time in ms.
time_ms() { local t0; t0=$(now_ns); "$@" >/dev/null 2>&1 || true; echo $((($(now_ns) - t0) / 1000000)); }
say() { echo "$*" | tee -a "$RESULTS"; }

: >"$RESULTS"
say "Kestrova benchmark, $(date -u '+%Y-%m-%d %H:%M:%S UTC'), commit $(git rev-parse --short HEAD 2>/dev/null || echo '?')"
say "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%d MiB", $2 / 1024}' /proc/meminfo); load average (1, 5, 15 min) shown with each figure"

# --- under Wine: a private prefix held alone, one warm wineserver for every run
if part wine; then
PREFIX=$BENCH/wineprefix
KESTROVA_WINEPREFIX=$PREFIX "$ROOT/scripts/wine-run.sh" --prepare
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d;mscoree,mshtml="
(
  exec 9>"$PREFIX.lock"
  flock 9
  trap '"$WINESERVER" -k >/dev/null 2>&1 || true; "$WINESERVER" -w >/dev/null 2>&1 || true' EXIT
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  "$WINESERVER" -p
  "$WINE" reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
  "$WINE" "$REPORT_EXE" >"$BENCH/wine-report.txt" 2>&1 || true  # warm-up: DLLs into the page cache
  inxi -F -c0 >/dev/null 2>&1 || true
  lshw -short >/dev/null 2>&1 || true

  ours=() inxi_ms=() lshw_ms=()
  for i in $(seq 1 "$RUNS"); do
    ours+=("$(time_ms "$WINE" "$REPORT_EXE")")
    inxi_ms+=("$(time_ms inxi -F -c0)")
    lshw_ms+=("$(time_ms lshw -short)")
    say "  run $i: kestrova-report (Wine, winxp, 28 categories) ${ours[-1]} ms, inxi -F ${inxi_ms[-1]} ms, lshw -short ${lshw_ms[-1]} ms  [load $(load)]"
  done
  mo=$(median "${ours[@]}") mi=$(median "${inxi_ms[@]}") ml=$(median "${lshw_ms[@]}")
  say "full run, median of $RUNS: kestrova-report $mo ms, inxi -F $mi ms, lshw -short $ml ms;" \
    "kestrova/inxi $(awk -v a="$mo" -v b="$mi" 'BEGIN {printf "%.2f", a / b}')," \
    "kestrova/lshw $(awk -v a="$mo" -v b="$ml" 'BEGIN {printf "%.2f", a / b}')" \
    "(targets: <= 500 ms and <= 0.5 of inxi)  [load $(load)]"

  say ""
  say "per-section times under Wine (kestrova-report --times)  [load $(load)]"
  "$WINE" "$REPORT_EXE" --times 2>"$BENCH/times.txt" >/dev/null || true
  tr -d '\r' <"$BENCH/times.txt" | sed 's/^/  /' | tee -a "$RESULTS"

  say ""
  /usr/bin/time -v "$WINE" "$REPORT_EXE" >/dev/null 2>"$BENCH/wine-memory.txt" || true
  say "peak memory under Wine: $(awk -F': ' '/Maximum resident set size/ {printf "%.1f MB", $2 / 1024}' "$BENCH/wine-memory.txt")" \
    "maximum resident set of the Wine process (Wine's own DLLs included; target < 20 MB)  [load $(load)]"
)
fi

# --- launch to the header (its own prefix lock, Xvfb and server)
if part startup; then
say ""
if startup=$("$ROOT/tests/win/gui/measure_startup.sh" "$OUT/win64" 9 2>&1); then
  say "launch of kestrova.exe to the window's header: $(tail -1 <<<"$startup") (target <= 400 ms)  [load $(load)]"
else
  say "launch to header: measure_startup.sh failed: $(tail -3 <<<"$startup")"
fi
fi

# --- native replay of every recorded machine
if part replay; then
say ""
say "native --machine replay (-O2 build), median of 9 runs, peak resident memory  [load $(load)]"
for m in "$ROOT"/tests/fixtures/machines/*/; do
  name=$(basename "$m")
  "$NATIVE" --machine "$m" >/dev/null  # page cache
  t=()
  for _ in $(seq 1 9); do t+=("$(time_ms "$NATIVE" --machine "$m")"); done
  /usr/bin/time -v "$NATIVE" --machine "$m" >/dev/null 2>"$BENCH/replay-memory.txt" || true
  rss=$(awk -F': ' '/Maximum resident set size/ {printf "%.1f MB", $2 / 1024}' "$BENCH/replay-memory.txt")
  say "  $name: $(median "${t[@]}") ms, peak $rss (target < 20 ms)"
done
fi

# --- decode costs: instructions inside the decode functions only (LD_BIND_NOW: the
# dynamic linker's first-call symbol look-ups are not the decoder's)
if part decode; then
say ""
callgrind_ir() {  # OUTFILE -> total instructions collected
  awk '/^(summary|totals):/ {print $2; exit}' "$1"
}
xp=$ROOT/tests/fixtures/machines/xp-sp2-p4ht
LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file="$BENCH/smbios.callgrind" \
  --toggle-collect='kestrova::WalkStructureTable*' --toggle-collect='kestrova::DecodeStructures*' \
  "$NATIVE" --machine "$xp" --only "Machine (général)" >"$BENCH/smbios-report.txt" 2>"$BENCH/smbios-valgrind.txt"
# The structures of the dump (dmidecode's layout: the table at the offset the entry
# point names), End-of-Table included, as the walk counts them.
structures=$(python3 - "$xp/smbios.bin" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
at = struct.unpack_from('<I', b, 0x18)[0]
end, n = at + struct.unpack_from('<H', b, 0x16)[0], 0
while at + 4 <= min(end, len(b)):
    n += 1
    if b[at] == 127 or b[at + 1] < 4:
        break
    s = b.find(b'\0\0', at + b[at + 1])
    if s < 0:
        break
    at = s + 2
print(n)
PY
)
ir=$(callgrind_ir "$BENCH/smbios.callgrind")
say "SMBIOS walk and decode on $(basename "$xp"): $ir instructions for $structures structures," \
  "$(awk -v a="$ir" -v b="$structures" 'BEGIN {printf "%d", b ? a / b : 0}') per structure (target <= 2300)"
LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file="$BENCH/edid.callgrind" --toggle-collect='kestrova::DecodeEDID*' \
  "$NATIVE" --machine "$xp" --only "Moniteurs" >/dev/null 2>"$BENCH/edid-valgrind.txt"
edids=$(grep -c '"EDID"' "$xp/registry.reg" || true)
ir=$(callgrind_ir "$BENCH/edid.callgrind")
say "EDID decode on $(basename "$xp"): $ir instructions for $edids EDID blocks," \
  "$(awk -v a="$ir" -v b="$edids" 'BEGIN {printf "%d", b ? a / b : 0}') per block"
fi
say ""
say "results in $RESULTS"
