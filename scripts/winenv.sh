# Sourced by the run and test scripts: a virtual X display and a private
# Wine prefix for this run, both torn down again on exit.
#
#   quorel_wine_up     start Xvfb (unless QUOREL_DISPLAY names one), make the
#                      prefix (QUOREL_WINEPREFIX reuses one), start wineserver
#   quorel_wine_down   stop this prefix's Wine processes, Xvfb, remove prefix
#
# With QUOREL_MONITORS=2, quorel_wine_up starts a display of two monitors
# side by side instead: an Xephyr with two screens joined by Xinerama and
# without RandR, nested in an Xvfb, which Wine reports as \\.\DISPLAY1 at
# 0,0-1280,800 (primary) and \\.\DISPLAY2 at 1280,0-2304,768.
#
# After quorel_wine_up: DISPLAY, WINEPREFIX, WINE and WINEDEBUG are exported.

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
_quorel_xvfb_pid=""
_quorel_xephyr_pid=""
_quorel_own_prefix=""

_quorel_free_display() {
  local n
  for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

# Waits until display :$1 answers while the server of PID $2 runs.
_quorel_display_ready() {
  local i
  for i in $(seq 1 100); do
    if [ -e "/tmp/.X11-unix/X$1" ] && xdpyinfo -display ":$1" >/dev/null 2>&1; then
      return 0
    fi
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

_quorel_stop_server() {
  [ -n "$1" ] || return 0
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

_quorel_start_xvfb() {
  local n tries size=1280x800x24
  [ "${QUOREL_MONITORS:-1}" = 2 ] && size=2400x900x24
  for tries in 1 2 3 4 5; do
    n=$(_quorel_free_display) || { echo "no free X display" >&2; return 1; }
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    _quorel_xvfb_pid=$!
    if _quorel_display_ready "$n" "$_quorel_xvfb_pid"; then
      export DISPLAY=":$n"
      [ "${QUOREL_MONITORS:-1}" = 2 ] || return 0
      _quorel_start_xephyr && return 0
    fi
    _quorel_stop_server "$_quorel_xvfb_pid"
    _quorel_xvfb_pid=""
  done
  echo "could not start the X display" >&2; return 1
}

# Two monitors: an Xephyr in the Xvfb just started (DISPLAY), which then
# becomes DISPLAY.
_quorel_start_xephyr() {
  local m
  m=$(_quorel_free_display) || return 1
  Xephyr ":$m" +xinerama -extension RANDR -screen 1280x800 -screen 1024x768 \
    -nolisten tcp >/dev/null 2>&1 &
  _quorel_xephyr_pid=$!
  if _quorel_display_ready "$m" "$_quorel_xephyr_pid"; then
    export DISPLAY=":$m"; return 0
  fi
  _quorel_stop_server "$_quorel_xephyr_pid"
  _quorel_xephyr_pid=""
  return 1
}

_quorel_reg() { LANG=C.UTF-8 "$WINE" reg "$@" >/dev/null 2>&1 </dev/null; }

_quorel_make_prefix() {
  "$WINE" wineboot -i >/dev/null 2>&1 </dev/null
  "$WINESERVER" -w
  # Japanese UI font, and Wine-drawn window captions (no window manager).
  _quorel_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
  _quorel_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ ゴシック' /d IPAGothic /f
  _quorel_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'MS Shell Dlg' /d IPAPGothic /f
  _quorel_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v 'MS Shell Dlg 2' /d IPAPGothic /f
  _quorel_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # Caption buttons are drawn with the Marlett font.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  "$WINESERVER" -w
}

quorel_wine_up() {
  if [ -n "${QUOREL_DISPLAY:-}" ]; then
    export DISPLAY="$QUOREL_DISPLAY"
  else
    _quorel_start_xvfb || return 1
  fi
  if [ -n "${QUOREL_WINEPREFIX:-}" ]; then
    export WINEPREFIX="$QUOREL_WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      mkdir -p "$WINEPREFIX"; _quorel_make_prefix
    fi
  else
    WINEPREFIX=$(mktemp -d /tmp/quorel-wine.XXXXXX)
    export WINEPREFIX
    _quorel_own_prefix="$WINEPREFIX"
    _quorel_make_prefix
  fi
  # A persistent wineserver and Wine's background services, started outside
  # any pipe of CTest's, so that they do not hold its output open.
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

quorel_wine_down() {
  if [ -n "${WINEPREFIX:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  _quorel_stop_server "$_quorel_xephyr_pid"
  _quorel_xephyr_pid=""
  _quorel_stop_server "$_quorel_xvfb_pid"
  _quorel_xvfb_pid=""
  if [ -n "$_quorel_own_prefix" ]; then
    rm -rf "$_quorel_own_prefix"
    _quorel_own_prefix=""
  fi
}
