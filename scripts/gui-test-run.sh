#!/usr/bin/env bash
# Runs a windowed Windows program of the win64 build under Wine on a private Xvfb display
# (started here, stopped on exit), through wine-run.sh.
#   gui-test-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail
SCRIPT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -ge 1 ] || { echo "usage: gui-test-run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }

# A display number nobody uses: the first free one from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true' EXIT

# Wait (bounded) for the display to accept clients.
for _ in $(seq 1 100); do
  xdpyinfo -display ":$display" >/dev/null 2>&1 && break
  kill -0 "$xvfb" 2>/dev/null || { echo "gui-test-run.sh: Xvfb :$display did not start" >&2; exit 2; }
  sleep 0.05
done
xdpyinfo -display ":$display" >/dev/null 2>&1 || { echo "gui-test-run.sh: display :$display not ready" >&2; exit 2; }

DISPLAY=":$display" "$SCRIPT_DIR/wine-run.sh" "$@"
