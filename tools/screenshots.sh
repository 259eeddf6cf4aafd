#!/usr/bin/env bash
# Renders the options dialog (all six pages, and three of them at 150 % and
# 200 %), the About box and the popup menu (from the tray icon and at the
# cursor) on a virtual display under Wine, and writes them as PNG files to
# docs/images/. Builds first.
#   tools/screenshots.sh            build, render, convert
#   QUOREL_WINEPREFIX=/tmp/x ...    reuse a Wine prefix
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
scripts/build.sh >/dev/null

# A display large enough for the dialogs at 200 %.
xvfb_pid=""
stop_xvfb() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi; }
if [ -z "${QUOREL_DISPLAY:-}" ]; then
  for n in $(seq 150 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for i in $(seq 1 100); do
    xdpyinfo -display ":$n" >/dev/null 2>&1 && break
    sleep 0.1
  done
  export QUOREL_DISPLAY=":$n"
fi

. scripts/winenv.sh
trap 'quorel_wine_down; stop_xvfb' EXIT
quorel_wine_up

out="$root/docs/images"
mkdir -p "$out"
tmp=$(mktemp -d /tmp/quorel-shots.XXXXXX)
trap 'rm -rf "$tmp"; quorel_wine_down; stop_xvfb' EXIT

QUOREL_SHOTS_DIR=$("$WINE" winepath -w "$tmp" 2>/dev/null | tr -d '\r') \
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES" \
  "$WINE" build/x86_64/tests/uishots_test.exe --gtest_also_run_disabled_tests \
  --gtest_filter='UiShots.*' </dev/null

shopt -s nullglob
for bmp in "$tmp"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$out/$name.png"
  echo "docs/images/$name.png"
done
