#!/usr/bin/env bash
# Checks that an exe is a Windows GUI program for the architecture asked for
# (i686, the product, by default; or x86_64; x86 and x64 mean the same)
# whose imports are only the Known DLLs it needs from its first line (the
# shell, COM and Common Controls it loads when first needed, which keeps
# them out of the time until its hotkeys work), whose header states
# the Windows it needs and the protections it takes, and that it carries its version record
# (its texts in a Japanese and an English block) and a manifest with the
# version of src/res/version.h; the 32-bit one within its size budget.
#   scripts/check-exe.sh build/i686/Quorel.exe
#   scripts/check-exe.sh build/x86_64/Quorel.exe x86_64
set -euo pipefail
exe=$1
arch=${2:-i686}
root="$(cd "$(dirname "$0")/.." && pwd)"
case "$arch" in
  i686|x86) arch=i686 format=pei-i386 bits=32 ;;
  x86_64|x64) arch=x86_64 format=pei-x86-64 bits=64 ;;
  *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
objdump=$arch-w64-mingw32-objdump
windres=$arch-w64-mingw32-windres
hdr=$($objdump -f "$exe" 2>&1) || true
pe=$($objdump -p "$exe" 2>/dev/null) || true
case "$hdr" in *"file format $format"*) ;; *) echo "$exe: not a $bits-bit Windows exe" >&2; exit 1 ;; esac
case "$pe" in *"(Windows GUI)"*) ;; *) echo "$exe: not a GUI program" >&2; exit 1 ;; esac
dlls=$(echo "$pe" | awk '/DLL Name:/ {print tolower($3)}')
allowed='^(kernel32|user32|gdi32|advapi32|msvcrt)\.dll$'
bad=$(echo "$dlls" | grep -Ev "$allowed" || true)
if [ -n "$bad" ]; then
  echo "$exe imports DLLs beyond kernel32, user32, gdi32, advapi32 and msvcrt: $bad" >&2
  exit 1
fi

# The header: Windows 7 (NT 6.1), which its imports need
# (ChangeWindowMessageFilterEx), as subsystem and OS version, so that
# Windows applies no compatibility for old programs; DEP and ASLR, on 64-bit
# with high-entropy addresses.
header=()
field() { # name expected (as objdump -p prints it)
  local got
  got=$(awk -v f="$1" '$1 == f {print $2; exit}' <<<"$pe")
  [ "$got" = "$2" ] || header+=("$1 is ${got:-missing}, not $2")
}
field MajorSubsystemVersion 6
field MinorSubsystemVersion 1
field MajorOSystemVersion 6
field MinorOSystemVersion 1
flags=(DYNAMIC_BASE NX_COMPAT)
[ "$arch" = x86_64 ] && flags+=(HIGH_ENTROPY_VA)
characteristics=$(sed -n '/^DllCharacteristics/,/^SizeOfStackReserve/p' <<<"$pe")
for f in "${flags[@]}"; do
  grep -qw "$f" <<<"$characteristics" || header+=("DllCharacteristics lacks $f")
done
if [ ${#header[@]} -gt 0 ]; then
  echo "$exe: its header lacks or differs in:" >&2
  printf '  %s\n' "${header[@]}" >&2
  exit 1
fi

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
expect "translations: Japanese and English, Unicode" "VALUE \"Translation\", 0x411, 1200, 0x409, 1200"
# Each language's block of texts, with the same texts.
block() { # the lines of a StringFileInfo block
  awk -v b="BLOCK \"$1\"" 'index($0, b) {on = 1; next} on && /^ *END/ {exit} on' <<<"$rc"
}
for lang in 041104b0:Japanese 040904b0:English; do
  code=${lang%%:*} name=${lang#*:}
  texts=$(block "$code")
  [ -n "$texts" ] || missing+=("$name Unicode block: BLOCK \"$code\"")
  in_block() { # what, line (fixed string)
    grep -qF -- "$2" <<<"$texts" || missing+=("$name $1: $2")
  }
  in_block "FileVersion" "VALUE \"FileVersion\", \"$file_text\""
  in_block "ProductVersion" "VALUE \"ProductVersion\", \"$short_text\""
  in_block "ProductName" "VALUE \"ProductName\", \"Quorel\""
  in_block "FileDescription" "VALUE \"FileDescription\", \"Quorel\""
  in_block "CompanyName" "VALUE \"CompanyName\", \"Quorel Project\""
  in_block "LegalCopyright" "VALUE \"LegalCopyright\", \"Copyright (c) 2026 Quorel Project\""
  in_block "OriginalFilename" "VALUE \"OriginalFilename\", \"Quorel.exe\""
  in_block "InternalName" "VALUE \"InternalName\", \"Quorel\""
done
expect "manifest" "RT_MANIFEST"
expect "manifest's assembly version" "name=\"\"Quorel\"\" version=\"\"$file_text\"\""
if [ ${#missing[@]} -gt 0 ]; then
  echo "$exe: its resources lack or differ in:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi
# The 32-bit product keeps within its size budget of 256 KiB.
budget=262144
size=$(stat -c %s "$exe")
if [ "$arch" = i686 ] && [ "$size" -gt "$budget" ]; then
  echo "$exe: $size bytes, over the 32-bit exe's budget of $budget bytes (256 KiB)" >&2
  exit 1
fi
echo "$exe: $bits-bit GUI exe for Windows 6.1 or later ($(echo ${flags[@]})), $size bytes, version $file_text ($short_text), imports: $(echo $dlls)"
