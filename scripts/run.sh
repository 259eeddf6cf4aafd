#!/usr/bin/env bash
# Installs what is missing, builds Quorel and runs it under Wine on a
# virtual display until it ends (Ctrl+C ends it). QUOREL_DISPLAY=:0 shows
# it on an existing X display instead. Under Wine only the 64-bit build can
# run on this machine; the 32-bit product is built beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
. scripts/winenv.sh
trap quorel_wine_down EXIT
quorel_wine_up
echo "Quorel is running on DISPLAY=$DISPLAY (Ctrl+C to stop)."
"$WINE" build/x86_64/Quorel.exe
