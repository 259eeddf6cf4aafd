#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program (only the program: not
# the tests, not the 32-bit product) and runs it under Wine on a virtual
# display until it ends (Ctrl+C ends it). QUOREL_DISPLAY=:0 shows it on an
# existing X display instead. Under Wine only the 64-bit build can run on
# this machine; scripts/test.sh builds everything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The test build's folder, so that a later scripts/test.sh builds on it.
cmake --preset x86_64 >/dev/null
cmake --build --preset x86_64 --target Quorel
. scripts/winenv.sh
trap quorel_wine_down EXIT
quorel_wine_up
echo "Quorel is running on DISPLAY=$DISPLAY (Ctrl+C to stop)."
"$WINE" build/x86_64/Quorel.exe
