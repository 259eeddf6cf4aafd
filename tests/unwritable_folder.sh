#!/bin/sh
# Runs tests/unwritable_folder_e2e.cpp's program against a folder that the
# program cannot write: the folder gets Quorel.exe and a Quorel.INI holding
# "MoveP=7", and the folder and its files are then made immutable (chattr
# +i, which needs root and a file system that has the flag; Wine is then
# refused every new file there and every write to those files, as Windows
# refuses them under Program Files). The flag is taken off again
# however the test ends; a folder left over by a killed run is cleared
# first. Exits 77 (skipped) when the folder cannot be made unwritable.
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
if ! chattr -R +i "$dir" 2>/dev/null; then
  echo "skipped: chattr +i is not possible here (it needs root and a file system with the immutable flag)"
  exit 77
fi
if touch "$dir/probe" 2>/dev/null || (: >>"$dir/Quorel.INI") 2>/dev/null; then
  echo "skipped: the folder stays writable after chattr +i"
  exit 77
fi
QUOREL_UNWRITABLE_DIR=$dir "$run" "$test"
