#!/usr/bin/env bash
# Starts Kestrova under Wine set to Windows XP.
#   With a display ($DISPLAY set): the window, in a virtual desktop.
#   Without one: prints the full report of this (Wine) machine with kestrova-report, then
#   runs the window on a private Xvfb, presses "Démarrer", and leaves a screenshot of the
#   window after the run in $KESTROVA_SHOT (default: <build>/kestrova-after-run.png).
# Expects the win64 build in $KESTROVA_BUILD (default: <repo>/build-win64).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${KESTROVA_BUILD:-$ROOT/build-win64}
WINE=/usr/lib/wine/wine64
APP=$BUILD/kestrova.exe
REPORT=$BUILD/kestrova-report.exe
for f in "$APP" "$REPORT"; do [ -f "$f" ] || { echo "run-kestrova.sh: $f is missing: build the win64 configuration first" >&2; exit 2; }; done

export WINEPREFIX=${KESTROVA_WINEPREFIX:-$BUILD/wineprefix-run}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d;mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot -i >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1

if [ -n "${DISPLAY:-}" ]; then
  exec "$WINE" explorer /desktop=Kestrova,1000x700 "$APP"
fi

# --- no display: the report, then a screenshot of the window after a full run ----------
"$WINE" "$REPORT" --format text | tr -d '\r'

SHOT=${KESTROVA_SHOT:-$BUILD/kestrova-after-run.png}
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  DISPLAY=":$display" /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
wait_for() {  # wait_for SECONDS COMMAND...: polls the command until it succeeds
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do [ $SECONDS -lt $deadline ] || return 1; sleep 0.2; done
}
wait_for 10 xdpyinfo || { echo "run-kestrova.sh: Xvfb did not start" >&2; exit 1; }
# The window lives in a 1000x700 virtual desktop and opens centred there (636x459), so
# "Démarrer", the ninth tool-bar button, is at a known place.
"$WINE" explorer /desktop=KestrovaBureau,1000x700 "$APP" &
app=$!
wait_for 60 xdotool search --name 'KestrovaBureau' || { echo "run-kestrova.sh: Wine's desktop did not appear" >&2; exit 1; }
wait_stable() {  # until two screenshots a second apart are the same (bounded)
  local prev= sum
  for _ in $(seq 1 "$1"); do
    sleep 1
    import -window root "$SHOT.tmp.png"
    sum=$(md5sum <"$SHOT.tmp.png")
    [ "$sum" = "$prev" ] && return 0
    prev=$sum
  done
  return 1
}
wait_stable 60 || true
left=$(((1000 - 636) / 2)) top=$(((700 - 459) / 2))
# The report pane before the run, to tell when the click has started one: a first click
# may only activate the window, so click again (a few times at most) until it changes.
pane() { import -window root -crop 380x330+$((left + 238))+$((top + 90)) +repage "$1"; }
pane "$SHOT.before.png"
for attempt in 1 2 3 4 5; do
  xdotool mousemove $((left + 418)) $((top + 60)) click 1
  wait_stable 300 || true
  pane "$SHOT.after.png"
  cmp -s <(md5sum <"$SHOT.before.png") <(md5sum <"$SHOT.after.png") || break
done
rm -f "$SHOT.before.png" "$SHOT.after.png"
mv "$SHOT.tmp.png" "$SHOT"
echo "run-kestrova.sh: screenshot of the window after the run: $SHOT" >&2
