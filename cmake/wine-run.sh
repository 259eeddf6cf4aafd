#!/bin/sh
# Runs a Windows test program under the 64-bit Wine loader. The caller
# (scripts/test.sh) provides WINEPREFIX, DISPLAY and a running wineserver.
WINE=${QUOREL_WINE:-/usr/lib/wine/wine64}
exec "$WINE" "$@"
