#!/usr/bin/env bash
# Checks that an exe is a 32-bit Windows GUI program whose imports are all
# DLLs that Windows itself ships.
set -euo pipefail
exe=$1
objdump=i686-w64-mingw32-objdump
hdr=$($objdump -f "$exe")
pe=$($objdump -p "$exe")
case "$hdr" in *"file format pei-i386"*) ;; *) echo "$exe: not a 32-bit Windows exe" >&2; exit 1 ;; esac
case "$pe" in *"(Windows GUI)"*) ;; *) echo "$exe: not a GUI program" >&2; exit 1 ;; esac
dlls=$(echo "$pe" | awk '/DLL Name:/ {print tolower($3)}')
allowed='^(kernel32|user32|gdi32|shell32|comctl32|advapi32|msvcrt|ole32|oleaut32|shlwapi|comdlg32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "$exe imports DLLs Windows does not ship: $bad" >&2; exit 1; fi
echo "$exe: 32-bit GUI exe, $(stat -c %s "$exe") bytes, imports: $(echo $dlls)"
