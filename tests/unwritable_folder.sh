#!/bin/sh
# Runs tests/unwritable_folder_e2e.cpp's program on a folder holding Quorel.exe
# and a Quorel.INI with "MoveP=7", made immutable (chattr +i: Wine is then
# refused every new file and every write there, as Windows is under Program
# Files). The folder is cleared however the test ends, and first of all.
# Exits 77 (skipped) when the folder cannot be made unwritable.
#   unwritable_folder.sh <wine runner> <test program> <Quorel.exe> <folder>
set -u
run=$1 test=$2 exe=$3 dir=$4

clear_dir() {
  [ -e "$dir" ] || return 0
  chattr -R -i "$dir" 2>/dev/null
  rm -rf "$dir"
}
clear_dir
trap clear_dir EXIT
trap 'exit 1' INT TERM HUP

mkdir -p "$dir" || exit 1
cp "$exe" "$dir/Quorel.exe" || exit 1
printf '[Option]\r\nMoveP=7\r\n' >"$dir/Quorel.INI" || exit 1
if ! chattr -R +i "$dir" 2>/dev/null || touch "$dir/probe" 2>/dev/null ||
  (: >>"$dir/Quorel.INI") 2>/dev/null; then
  echo "skipped: the folder cannot be made unwritable (chattr +i needs root and a file system with the immutable flag)"
  exit 77
fi
QUOREL_UNWRITABLE_DIR=$dir "$run" "$test"
