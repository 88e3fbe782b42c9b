#!/usr/bin/env bash
# Runs a Windows program of the win64 build under Wine, in the build's own prefix.
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run it (CMAKE_CROSSCOMPILING_EMULATOR calls this)
#   wine-run.sh --prepare               only make sure the prefix exists
#
# Environment:
#   KESTROVA_WINEPREFIX   the prefix; default: <build dir>/wineprefix, the build dir being
#                         the nearest folder above PROGRAM that holds CMakeCache.txt
#   KESTROVA_WINVER       Windows personality for this run: win98 nt40 win2k winxp win2003
#                         (anything `winecfg -v` knows); unset = Wine's own default
#   KESTROVA_REG_FILES    .reg files to import first, separated by ':'. UTF-8 (or UTF-16LE
#                         with BOM) in "REGEDIT4" or "Windows Registry Editor Version 5.00"
#                         syntax; they are converted to what regedit reads.
#   KESTROVA_KEEP_CR=1    pass the program's output through untouched (default: CRs dropped)
#
# The personality (HKCU\Software\Wine\Version) is global to the prefix, and HKLM\HARDWARE
# and HKEY_DYN_DATA only live as long as the wineserver: every run therefore holds the
# prefix alone (a lock beside it), starts its own persistent wineserver, imports, runs
# the program, and stops the server. The exit status is the program's.
set -euo pipefail

WINE=${KESTROVA_WINE:-/usr/lib/wine/wine64}
WINESERVER=${KESTROVA_WINESERVER:-/usr/lib/wine/wineserver64}

die() { echo "wine-run.sh: $*" >&2; exit 2; }

[ $# -ge 1 ] || die "usage: wine-run.sh PROGRAM.exe [ARGS...] | --prepare"

prepare_only=0
program=
if [ "$1" = "--prepare" ]; then
  prepare_only=1
  shift
else
  program=$1
  shift
  [ -f "$program" ] || die "no such program: $program"
  program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
fi

find_build_dir() {
  local d=$1
  while [ "$d" != "/" ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return 0; }
    d=$(dirname "$d")
  done
  return 1
}

prefix=${KESTROVA_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  start=${program:+$(dirname "$program")}
  build=$(find_build_dir "${start:-$PWD}") || die "set KESTROVA_WINEPREFIX (no build dir above ${start:-$PWD})"
  prefix=$build/wineprefix
fi
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No sound device here: the drivers would only fill the output with ALSA complaints.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv,wineoss.drv=d${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
# Never offer to download Mono or Gecko.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mscoree,mshtml="

# One run at a time per prefix, whoever starts it (ctest -j, a second build, by hand).
exec 9>"$prefix.lock"
flock 9

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-wine.XXXXXX")
server_started=0
# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
  if [ "$server_started" = 1 ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# --- the prefix: made once per build, in a side folder moved in place when complete, so
# an interrupted creation never leaves a half prefix behind.
if [ ! -f "$prefix/system.reg" ]; then
  started=$(date +%s%N)
  fresh="$prefix.new.$$"
  # Only ever replace what is recognisably a broken Wine prefix, never a folder of files.
  if [ -e "$prefix" ]; then
    if [ -d "$prefix/drive_c" ] || [ -z "$(ls -A "$prefix")" ]; then
      rm -rf "$prefix"
    else
      die "$prefix exists and is not a Wine prefix; not touching it"
    fi
  fi
  rm -rf "$fresh"
  WINEPREFIX=$fresh "$WINE" wineboot -i >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    die "wineboot -i failed for $fresh"
  }
  WINEPREFIX=$fresh "$WINESERVER" -w  # let the registry reach the disk
  mv "$fresh" "$prefix"
  echo "wine-run.sh: created $prefix in $((($(date +%s%N) - started) / 1000000)) ms" >&2
fi
# This Wine does not load the fonts of its own data folder, so window captions would draw
# their buttons as the letters "0 1 r": Marlett goes where it does look, the prefix's Fonts.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && [ ! -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ] && cp "$marlett" "$prefix/drive_c/windows/Fonts/"
[ "$prepare_only" = 1 ] && exit 0

# --- a server of our own for the whole run (a stale one from a killed run goes first).
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
"$WINESERVER" -p
server_started=1

wine_quiet() {
  # Wine's tools print their own success messages; only failures are worth showing.
  local log=$work/tool.log
  if ! "$WINE" "$@" >"$log" 2>&1; then
    tr -d '\r' <"$log" >&2
    return 1
  fi
}

if [ -n "${KESTROVA_WINVER:-}" ]; then
  wine_quiet reg add 'HKCU\Software\Wine' /v Version /d "$KESTROVA_WINVER" /f ||
    die "cannot set the Windows personality $KESTROVA_WINVER"
else
  "$WINE" reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
fi

# A Unix path as Wine's Z: drive sees it.
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# regedit reads REGEDIT4 files in the ANSI code page and version 5 files in UTF-16LE with
# a byte-order mark; ours are UTF-8.
is_utf16() { [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = "fffe" ]; }

# The file's text as UTF-8, whatever it was written in.
reg_text() { if is_utf16 "$1"; then iconv -f UTF-16 -t UTF-8 "$1"; else cat "$1"; fi; }

convert_reg() {
  local src=$1 dst=$2 header
  if is_utf16 "$src"; then
    cp "$src" "$dst"
    return
  fi
  header=$(head -n 1 "$src" | sed 's/^\xEF\xBB\xBF//' | tr -d '\r')
  case "$header" in
    REGEDIT4)
      sed 's/^\xEF\xBB\xBF//; s/\r*$/\r/' "$src" | iconv -f UTF-8 -t CP1252 >"$dst" ||
        die "$src: not UTF-8, or holds characters cp1252 lacks (use a version 5 file)" ;;
    "Windows Registry Editor Version 5.00")
      { printf '\xff\xfe'; sed 's/^\xEF\xBB\xBF//; s/\r*$/\r/' "$src" | iconv -f UTF-8 -t UTF-16LE; } >"$dst" ||
        die "$src: not UTF-8" ;;
    *)
      die "$src: not a registry file (first line: $header)" ;;
  esac
}

if [ -n "${KESTROVA_REG_FILES:-}" ]; then
  IFS=':' read -r -a reg_files <<<"$KESTROVA_REG_FILES"
  n=0
  for f in "${reg_files[@]}"; do
    [ -n "$f" ] || continue
    [ -f "$f" ] || die "no such registry file: $f"
    n=$((n + 1))
    converted=$work/import-$n.reg
    convert_reg "$f" "$converted"
    if reg_text "$f" | grep 'HKEY_DYN_DATA' >/dev/null; then  # no -q: it would cut the pipe early
      # `reg import` skips HKEY_DYN_DATA silently; regedit writes it.
      wine_quiet regedit /s "$(windows_path "$converted")" || die "regedit failed on $f"
    else
      wine_quiet reg import "$(windows_path "$converted")" || die "reg import failed on $f"
    fi
  done
fi

# --- the program itself. mingw's stdio writes CRLF into pipes; drop the CRs unless asked.
if [ "${KESTROVA_KEEP_CR:-0}" = 1 ]; then
  status=0
  "$WINE" "$program" "$@" || status=$?
  exit "$status"
fi
# stdout and stderr each go through their own filter; both pipes are done when this
# line is, so nothing of the program is printed after the script returns.
{ { "$WINE" "$program" "$@" && echo 0 >"$work/status" || echo $? >"$work/status"; } 2>&1 1>&3 3>&- |
    tr -d '\r' >&2; } 3>&1 | tr -d '\r'
exit "$(cat "$work/status")"
