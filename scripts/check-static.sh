#!/usr/bin/env bash
# Fails when a Windows program of a build imports a DLL that Windows does not ship.
# With --old-windows, also fails when one imports a function Windows 98 / NT 4.0 lacks.
# Usage: check-static.sh BUILD_DIR OBJDUMP [--old-windows]
set -euo pipefail
BUILD=$1
OBJDUMP=$2
OLD=${3:-}
SYSTEM='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|version|winspool\.drv|ws2_32|wsock32|iphlpapi|netapi32|winmm|psapi|setupapi|msvcrt|riched20|riched32|rpcrt4|uuid|mpr|imm32|crypt32|secur32|ntdll)(\.dll)?$'
status=0
for exe in $(find "$BUILD" -maxdepth 2 -name '*.exe' -not -path '*/googletest/*'); do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$SYSTEM"; then
      echo "$exe imports $dll, which is not a system DLL"; status=1
    fi
  done < <("$OBJDUMP" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done
# Functions that Windows 98 and NT 4.0 do not have at all: importing one stops the program
# from starting there (optional ones must be bound at run time with GetProcAddress).
MODERN='^(GetTickCount64|FindFirstVolumeW|FindNextVolumeW|GetNativeSystemInfo|IsWow64Process|GetModuleHandleExW|GetModuleHandleExA|InitializeCriticalSectionEx|InitOnceExecuteOnce|AcquireSRWLockExclusive|ReleaseSRWLockExclusive|SetDllDirectoryW|GetSystemTimePreciseAsFileTime|GetFileSizeEx|SetFilePointerEx|AddVectoredExceptionHandler|GetProcessId|GetThreadId|CreateSymbolicLinkW|RegGetValueW|RegGetValueA|SHGetKnownFolderPath)$'
for exe in $(find "$BUILD" -maxdepth 2 -name '*.exe' -not -path '*/googletest/*' -not -name '*tests*'); do
  [ "$OLD" = "--old-windows" ] || break
  bad=$("$OBJDUMP" -p "$exe" | awk 'NF>=3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | grep -E "$MODERN" || true)
  if [ -n "$bad" ]; then
    echo "$exe imports functions old Windows lacks: $(echo $bad)"; status=1
  fi
done
[ $status -eq 0 ] && echo "only system DLLs imported${OLD:+, nothing old Windows lacks}"
exit $status
