#!/usr/bin/env bash
# kestrova-report under Wine with accented arguments: a category caption given to --only
# is found, an unknown one is named back intact, and an accented --output file name is
# the file written. Every output is UTF-8.
#   report_accents.sh KESTROVA-REPORT.exe
set -euo pipefail
SCRIPT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE_RUN=$SCRIPT_DIR/../../../scripts/wine-run.sh
report=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-accents.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# 1. Two accented captions, both ticked: their headings come out, in run order.
status=0
"$WINE_RUN" "$report" --only "Répertoires de c:\\" --only "Machine (général)" >"$work/out.txt" 2>"$work/err.txt" || status=$?
[ "$status" = 0 ] || fail "--only with accents: exit status $status: $(cat "$work/err.txt")"
grep -qx 'Machine (général)' "$work/out.txt" || fail "no 'Machine (général)' heading in: $(head -c 400 "$work/out.txt")"
grep -qx 'Répertoires de c:\\' "$work/out.txt" || fail "no 'Répertoires de c:\\' heading"
grep -qx 'Kestrova - Récupérateur infos système - Version 1.1.0.0' "$work/out.txt" || fail "the title is not UTF-8"
iconv -f UTF-8 -t UTF-8 "$work/out.txt" >/dev/null || fail "the report is not valid UTF-8"

# 2. An unknown accented caption is named back as it was typed.
status=0
"$WINE_RUN" "$report" --only "Périphériques à l'été" >/dev/null 2>"$work/err.txt" || status=$?
[ "$status" = 2 ] || fail "unknown caption: exit status $status, expected 2"
grep -qF "no category is named 'Périphériques à l'été'" "$work/err.txt" || fail "error text: $(head -n 1 "$work/err.txt")"

# 3. An accented output file name (Wine keeps file names as UTF-8 on the Linux side).
out_dir=$work/sortie
mkdir -p "$out_dir"
status=0
"$WINE_RUN" "$report" --only "Machine (général)" --format rtf --output "Z:${out_dir//\//\\}\\rapport-été.rtf" \
  2>"$work/err.txt" || status=$?
[ "$status" = 0 ] || fail "--output with accents: exit status $status: $(cat "$work/err.txt")"
[ -s "$out_dir/rapport-été.rtf" ] || fail "no rapport-été.rtf written (found: $(ls "$out_dir"))"
head -c 5 "$out_dir/rapport-été.rtf" 2>/dev/null | grep -q '{\\rtf' || fail "rapport-été.rtf is not RTF"

if [ "$failures" -gt 0 ]; then
  echo "report_accents.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "report_accents.sh: accented arguments and output all right"
