#!/usr/bin/env bash
# Measures Kestrova's start-up under Wine: from launching kestrova.exe (a warm wineserver,
# as when Wine already runs) to its window showing the report header, RUNS times, on a
# private Xvfb; prints every run and the median. The real engine reads this (Wine) machine.
#   measure_startup.sh [BUILD_DIR (win64, default <repo>/build-win64)] [RUNS (default 5)]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build-win64}" && pwd)
RUNS=${2:-5}
WINE=${KESTROVA_WINE:-/usr/lib/wine/wine64}
WINESERVER=${KESTROVA_WINESERVER:-/usr/lib/wine/wineserver64}
APP=$BUILD/kestrova.exe
WAITER=$BUILD/kestrova-watch.exe
for f in "$APP" "$WAITER"; do [ -f "$f" ] || { echo "measure_startup.sh: $f is missing: build first" >&2; exit 2; }; done

export WINEPREFIX=${KESTROVA_WINEPREFIX:-$BUILD/wineprefix}
KESTROVA_WINEPREFIX=$WINEPREFIX "$ROOT/scripts/wine-run.sh" --prepare  # the build's prefix exists
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d;mscoree,mshtml="
exec 9>"$WINEPREFIX.lock"
flock 9  # the prefix alone, as every Wine test run has it

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-startup.XXXXXX")
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || { echo "measure_startup.sh: Xvfb :$display did not start" >&2; exit 2; }

"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
"$WINESERVER" -p  # stays up between the runs: every launch below meets a warm server
"$WINE" reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
# Windows managed by Wine itself, as in the GUI tests and in a Wine virtual desktop; with
# KESTROVA_X_MANAGED=1 the X server's window manager would place them (there is none on
# this Xvfb, and Wine then waits for it when a window is mapped or goes).
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$([ "${KESTROVA_X_MANAGED:-0}" = 1 ] && echo Y || echo N)" /f \
  >/dev/null 2>&1
cp "$APP" "$work/kestrova.exe"  # its INI beside it, not in the build

# One run: the waiter first (it says "ready"), then the program; the waiter prints when
# the window showed and when the header was there, and closes the window.
run_once() {
  local out=$work/waiter.out t0 app status=0
  rm -f "$out"
  mkfifo "$work/ready"
  "$WINE" "$WAITER" header >"$work/ready" 2>"$work/waiter.err" &
  local waiter=$!
  read -r -t 30 line <"$work/ready" || { echo "measure_startup.sh: the waiter did not start" >&2; return 1; }
  [ "$line" = $'ready\r' ] || [ "$line" = ready ] || { echo "measure_startup.sh: waiter said '$line'" >&2; return 1; }
  t0=$(date +%s%N)
  "$WINE" "$work/kestrova.exe" >/dev/null 2>&1 &
  app=$!
  cat "$work/ready" >"$out" || true  # the rest of the waiter's output, until it exits
  wait "$waiter" || status=$?
  wait "$app" || true
  rm -f "$work/ready"
  [ "$status" = 0 ] || { cat "$work/waiter.err" >&2; return 1; }
  read -r _ shown _ header < <(tr -d '\r' <"$out")
  echo "$(((shown - t0) / 1000000)) $(((header - t0) / 1000000))"
}

run_once >/dev/null  # warm-up: Wine's DLLs and the program into the page cache, INI written
shown_ms=() header_ms=()
for i in $(seq 1 "$RUNS"); do
  read -r s h < <(run_once)
  shown_ms+=("$s")
  header_ms+=("$h")
  echo "run $i: window shown after $s ms, header after $h ms"
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2)}'; }
echo "median of $RUNS: window shown after $(median "${shown_ms[@]}") ms, header after $(median "${header_ms[@]}") ms"
