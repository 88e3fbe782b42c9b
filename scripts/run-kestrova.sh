#!/usr/bin/env bash
# Starts Kestrova under Wine set to Windows XP.
#   With a display ($DISPLAY set): the window, in a virtual desktop.
#   Without one: prints the full report of this (Wine) machine with kestrova-report, then
#   runs the window on a private Xvfb, sends it the "Démarrer" command (kestrova-watch, by
#   command identifier, not by screen position), waits for the run to end, and leaves a
#   screenshot of the window after the run in $KESTROVA_SHOT (default:
#   <build>/kestrova-after-run.png). Fails when the report does not end with "Fin Analyse".
# Both run in French (LC_ALL=fr_FR.UTF-8, which install-deps.sh generates), as the
# program's users see it.
# Expects the win64 build in $KESTROVA_BUILD (default: <repo>/build-win64).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${KESTROVA_BUILD:-$ROOT/build-win64}
WINE=/usr/lib/wine/wine64
APP=$BUILD/kestrova.exe
REPORT=$BUILD/kestrova-report.exe
WATCH=$BUILD/kestrova-watch.exe
for f in "$APP" "$REPORT" "$WATCH"; do [ -f "$f" ] || { echo "run-kestrova.sh: $f is missing: build the win64 configuration first" >&2; exit 2; }; done

export WINEPREFIX=${KESTROVA_WINEPREFIX:-$BUILD/wineprefix-run}
export WINEDEBUG=-all
if locale -a 2>/dev/null | grep -qix 'fr_FR.utf-\?8'; then
  export LC_ALL=fr_FR.UTF-8
else
  echo "run-kestrova.sh: the fr_FR.UTF-8 locale is missing (scripts/install-deps.sh makes it); Wine's default locale is used" >&2
fi
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d;mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot -i >/dev/null 2>&1
# Caption buttons need Marlett, which this Wine only finds in the prefix's Fonts folder.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] && cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
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
for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "run-kestrova.sh: Xvfb did not start" >&2; exit 1; }
# A virtual desktop draws the window's title bar and frame, as a user sees them.
"$WINE" explorer /desktop=KestrovaBureau,1000x700 "$APP" &
app=$!
# The watcher waits for the idle window, sends "Démarrer" and waits for the run's end.
if ! "$WINE" "$WATCH" run "${KESTROVA_RUN_SECONDS:-300}" KestrovaBureau | tr -d '\r' >&2; then
  echo "run-kestrova.sh: the analysis did not run to \"Fin Analyse\" in the window" >&2
  import -window root "$SHOT" 2>/dev/null || true
  echo "run-kestrova.sh: screenshot of the window as it was: $SHOT" >&2
  exit 1
fi
import -window root "$SHOT"
echo "run-kestrova.sh: screenshot of the window after the run: $SHOT" >&2
