#!/usr/bin/env bash
# Checks that an exe is a 32-bit Windows GUI program whose imports are all
# DLLs that Windows itself ships, and that it carries its version record
# and a manifest with the version of src/res/version.h.
set -euo pipefail
exe=$1
root="$(cd "$(dirname "$0")/.." && pwd)"
objdump=i686-w64-mingw32-objdump
windres=i686-w64-mingw32-windres
hdr=$($objdump -f "$exe")
pe=$($objdump -p "$exe")
case "$hdr" in *"file format pei-i386"*) ;; *) echo "$exe: not a 32-bit Windows exe" >&2; exit 1 ;; esac
case "$pe" in *"(Windows GUI)"*) ;; *) echo "$exe: not a GUI program" >&2; exit 1 ;; esac
dlls=$(echo "$pe" | awk '/DLL Name:/ {print tolower($3)}')
allowed='^(kernel32|user32|gdi32|shell32|comctl32|advapi32|msvcrt|ole32|oleaut32|shlwapi|comdlg32)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then echo "$exe imports DLLs Windows does not ship: $bad" >&2; exit 1; fi

# The version the exe should carry.
version_h="$root/src/res/version.h"
define() { sed -n "s/^#define QUOREL_VERSION_$1 \"*\([^\"]*\)\"*\$/\1/p" "$version_h"; }
numbers="$(define MAJOR), $(define MINOR), $(define PATCH), $(define BUILD)"
file_text=$(define FILE_TEXT)
short_text=$(define TEXT)

# The resources as the toolchain's resource compiler reads them back.
rc=$($windres -i "$exe" -O rc)
missing=()
expect() { # what, line of the decompiled resources (fixed string)
  grep -qF -- "$2" <<<"$rc" || missing+=("$1: $2")
}
expect "version record" "VERSIONINFO"
expect "file version" "FILEVERSION $numbers"
expect "product version" "PRODUCTVERSION $numbers"
expect "Japanese Unicode block" "BLOCK \"041104b0\""
expect "translation" "VALUE \"Translation\", 0x411, 1200"
expect "FileVersion" "VALUE \"FileVersion\", \"$file_text\""
expect "ProductVersion" "VALUE \"ProductVersion\", \"$short_text\""
expect "ProductName" "VALUE \"ProductName\", \"Quorel\""
expect "FileDescription" "VALUE \"FileDescription\", \"Quorel\""
expect "CompanyName" "VALUE \"CompanyName\", \"Quorel Project\""
expect "LegalCopyright" "VALUE \"LegalCopyright\", \"Copyright (c) 2026 Quorel Project\""
expect "OriginalFilename" "VALUE \"OriginalFilename\", \"Quorel.exe\""
expect "InternalName" "VALUE \"InternalName\", \"Quorel\""
expect "manifest" "RT_MANIFEST"
expect "manifest's assembly version" "name=\"\"Quorel\"\" version=\"\"$file_text\"\""
if [ ${#missing[@]} -gt 0 ]; then
  echo "$exe: its resources lack or differ in:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
echo "$exe: 32-bit GUI exe, $(stat -c %s "$exe") bytes, version $file_text ($short_text), imports: $(echo $dlls)"
