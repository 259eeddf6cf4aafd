#!/usr/bin/env bash
# Renders the options dialog (all six pages, and three of them at 150 % and
# 200 %; in Japanese, and in English as options-<page>-en...), the About box
# (also about-en) and the tray icon (at 100 %, 150 % and 200 %), the
# help window (two topics, one of them also at 150 %; in Japanese, and in
# English as help-en.png, help-1-en.png, help-1-en-144.png) and the popup menu
# (from the tray icon and at the cursor; also menu-tray-en, menu-cursor-en)
# on a virtual display under Wine,
# and writes them as PNG files to docs/images/. Builds first.
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

shots() {
  QUOREL_SHOTS_DIR=$("$WINE" winepath -w "$tmp" 2>/dev/null | tr -d '\r') \
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES" \
    "$WINE" build/x86_64/tests/uishots_test.exe --gtest_also_run_disabled_tests \
    --gtest_filter="$1" </dev/null
}
# Wine's system DPI: the LogPixels setting, read by every Wine process
# (Wine's own tray window too) when it starts, so all of them start again.
set_dpi() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w
  _quorel_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

shots 'UiShots.*'
# The About box and the tray icon as the system draws them at 150 % and
# 200 % (the options dialog above is moved to those DPIs instead).
for dpi in 144 192; do
  set_dpi "$dpi"
  shots 'UiShots.*AboutBox:UiShots.*Tray'
done
set_dpi 96 # a reused prefix stays as it was

shopt -s nullglob
for bmp in "$tmp"/*.bmp; do
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$out/$name.png"
  echo "docs/images/$name.png"
done
