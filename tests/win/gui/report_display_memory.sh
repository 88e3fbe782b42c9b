#!/usr/bin/env bash
# kestrova-report under Wine on a private Xvfb screen (gui-test-run.sh: 1024x768, 24-bit):
#   winxp: "Affichage" gives the screen's resolution and depth, "Mémoire" the sizes and
#          "Charge mémoire";
#   win98: no refresh rate on the 9x family, and the 16-bit user module is absent, so the
#          free-resource query ends the run in "Mémoire" with its error text, no crash.
#   report_display_memory.sh KESTROVA-REPORT.exe
set -euo pipefail
SCRIPT_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
RUN=$SCRIPT_DIR/../../../scripts/gui-test-run.sh
report=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-display.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
has() { grep -qxF -- "$1" "$2" || fail "no line '$1' in $2: $(head -c 1500 "$2")"; }

# 1. Windows XP.
status=0
KESTROVA_WINVER=winxp "$RUN" "$report" --only Affichage --only "Mémoire" >"$work/xp.txt" 2>"$work/xp.err" || status=$?
[ "$status" = 0 ] || fail "winxp: exit status $status: $(cat "$work/xp.err")"
has "Affichage" "$work/xp.txt"
has " - Résolution écran : 1024 x 768 pixels" "$work/xp.txt"
has " - Profondeur couleurs : 32 bits" "$work/xp.txt"
grep -qE '^ - Résolution fontes : [1-9][0-9]* pixels$' "$work/xp.txt" || fail "winxp: no font resolution"
grep -qE '^ - Mémoire physique totale : [0-9]+[.,][0-9]{2} (MO|GO)$' "$work/xp.txt" ||
  fail "winxp: physical memory not in MO or GO: $(grep 'physique totale' "$work/xp.txt")"
grep -qE '^ - Mémoire virtuelle totale : [0-9]+[.,][0-9]{2} (MO|GO|TO)?' "$work/xp.txt" || fail "winxp: no virtual memory line"
grep -qE '^ - Charge mémoire : ([0-9]|[1-9][0-9]|100)$' "$work/xp.txt" || fail "winxp: no plausible 'Charge mémoire'"
grep -q 'Ressources' "$work/xp.txt" && fail "winxp: resource lines on the NT family"
has "Fin Analyse" "$work/xp.txt"

# 2. Windows 98: the display section, then the run ends inside "Mémoire".
status=0
KESTROVA_WINVER=win98 "$RUN" "$report" --only Affichage --only "Mémoire" --only "APM - Gestion avancée de l'énergie" \
  >"$work/98.txt" 2>"$work/98.err" || status=$?
[ "$status" = 1 ] || fail "win98: exit status $status, expected 1 (the run ends on an error)"
grep -qF "Can't load USER.EXE!" "$work/98.err" || fail "win98: error text: $(cat "$work/98.err")"
has " - Fréquence raffraichissement : 0 hertz" "$work/98.txt"
has " - Résolution écran : 1024 x 768 pixels" "$work/98.txt"
[ "$(tail -n 1 "$work/98.txt")" = "Mémoire" ] || fail "win98: the report does not end at the 'Mémoire' heading: $(tail -n 3 "$work/98.txt")"
grep -q "Fin Analyse\|APM" "$work/98.txt" && fail "win98: the run went on after the error"

if [ "$failures" -gt 0 ]; then
  echo "report_display_memory.sh: $failures check(s) failed" >&2
  exit 1
fi
echo "report_display_memory.sh: display and memory sections all right under winxp and win98"
