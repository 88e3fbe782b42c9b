#!/usr/bin/env bash
# Fails when a Windows program of a build imports a DLL that Windows does not ship.
# Usage: check-static.sh BUILD_DIR OBJDUMP
set -euo pipefail
BUILD=$1
OBJDUMP=$2
SYSTEM='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|version|winspool\.drv|ws2_32|wsock32|iphlpapi|netapi32|winmm|psapi|setupapi|msvcrt|riched20|riched32|rpcrt4|uuid|mpr|imm32|crypt32|secur32|ntdll)\.dll$'
status=0
for exe in $(find "$BUILD" -maxdepth 2 -name '*.exe' -not -path '*/googletest/*'); do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$SYSTEM"; then
      echo "$exe imports $dll, which is not a system DLL"; status=1
    fi
  done < <("$OBJDUMP" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "only system DLLs imported"
exit $status
