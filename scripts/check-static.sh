#!/usr/bin/env bash
# Fails when a Windows program of a build imports a DLL that Windows does not ship.
# With --old-windows (the release build), also checks the imports of the release programs
# (kestrova.exe, kestrova-report.exe) against what Windows 95/98 and NT 4.0 export, from
# the lists in scripts/old-windows/ (its README says where each comes from):
#   - msvcrt: every import must be in msvcrt-nt4.txt, the smallest system msvcrt (4.20);
#   - kernel32: every import must be in kernel32-win9x.txt (Windows 95's named exports);
#   - advapi32, comdlg32, version: every import must be in their NT 4.0 export list;
#   - no import may be in a *-post-nt4.txt list, nor in post-nt4-levels.tsv with a first
#     release of Windows 2000 or later (functions newer than that are bound by name).
# DLLs without any list are named as unchecked.
# Usage: check-static.sh BUILD_DIR OBJDUMP [--old-windows]
set -euo pipefail
export LC_ALL=C
BUILD=$1
OBJDUMP=$2
OLD=${3:-}
LISTS=$(cd "$(dirname "$0")" && pwd)/old-windows
SYSTEM='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|version|winspool\.drv|ws2_32|wsock32|iphlpapi|netapi32|winmm|psapi|setupapi|msvcrt|riched20|riched32|rpcrt4|uuid|mpr|imm32|crypt32|secur32|ntdll)(\.dll)?$'
status=0
for exe in $(find "$BUILD" -maxdepth 2 -name '*.exe' -not -path '*/googletest/*'); do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$SYSTEM"; then
      echo "$exe imports $dll, which is not a system DLL"; status=1
    fi
  done < <("$OBJDUMP" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done

if [ "$OLD" = "--old-windows" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # Names that came with Windows 2000 or later, by DLL.
  awk -F'\t' 'NR > 1 && $3 !~ /^(IE3|IE4|Win98 \+ Win2000|WinME \+ Win2000)/ {print $1, $2}' \
    "$LISTS/post-nt4-levels.tsv" | sort -u >"$work/newer.txt"
  for f in "$LISTS"/*-post-nt4.txt; do
    d=$(basename "$f" -post-nt4.txt)
    sed "s/^/$d /" "$f"
  done | sort -u >"$work/post.txt"
  for name in kestrova.exe kestrova-report.exe; do
    exe="$BUILD/$name"
    [ -f "$exe" ] || { echo "$exe is missing"; status=1; continue; }
    "$OBJDUMP" -p "$exe" |
      awk '/^The Import Tables/{t=1} /^PE File Base Relocations/{t=0}
           t && /DLL Name:/{d=tolower($3); sub(/\.dll$/,"",d); sub(/\.drv$/,"",d)}
           t && NF==3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print d, $3}' | sort -u >"$work/imports.txt"
    bad=()
    while read -r dll fn; do
      case $dll in
        msvcrt) grep -qx "$fn" "$LISTS/msvcrt-nt4.txt" || bad+=("msvcrt!$fn (not in msvcrt 4.20 of NT 4.0)") ;;
        kernel32) grep -qx "$fn" "$LISTS/kernel32-win9x.txt" || bad+=("kernel32!$fn (not in Windows 95)") ;;
        advapi32 | comdlg32 | version)
          grep -qx "$fn" "$LISTS/$dll-nt4.txt" || bad+=("$dll!$fn (not in NT 4.0)") ;;
      esac
      grep -qx "$dll $fn" "$work/post.txt" && bad+=("$dll!$fn (after NT 4.0)")
      grep -qx "$dll $fn" "$work/newer.txt" && bad+=("$dll!$fn (Windows 2000 or later)")
    done <"$work/imports.txt"
    if [ ${#bad[@]} -gt 0 ]; then
      echo "$exe imports what old Windows lacks (bind these by name at run time):"
      printf '  %s\n' "${bad[@]}"
      status=1
    fi
    partial=$(awk '{print $1}' "$work/imports.txt" | sort -u | grep -vxE 'msvcrt|kernel32|advapi32|comdlg32|version' |
      tr '\n' ' ' || true)
    echo "$name: $(wc -l <"$work/imports.txt") imports checked; only against the newer-name lists: ${partial:-none}"
  done
fi
[ $status -eq 0 ] && echo "only system DLLs imported${OLD:+, nothing old Windows lacks}"
exit $status
