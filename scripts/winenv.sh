# Sourced by the run and test scripts: a virtual X display and a private
# Wine prefix for this run, both torn down again on exit.
#
#   quorel_wine_up     start Xvfb (unless QUOREL_DISPLAY names one), make the
#                      prefix (QUOREL_WINEPREFIX reuses one), start wineserver
#   quorel_wine_down   stop this prefix's Wine processes, Xvfb, remove prefix
#
# After quorel_wine_up: DISPLAY, WINEPREFIX, WINE and WINEDEBUG are exported.

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
_quorel_xvfb_pid=""
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

_quorel_start_xvfb() {
  local n tries
  for tries in 1 2 3 4 5; do
    n=$(_quorel_free_display) || { echo "no free X display" >&2; return 1; }
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    _quorel_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
      if [ -e "/tmp/.X11-unix/X$n" ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"; return 0
      fi
      kill -0 "$_quorel_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$_quorel_xvfb_pid" 2>/dev/null; wait "$_quorel_xvfb_pid" 2>/dev/null
    _quorel_xvfb_pid=""
  done
  echo "could not start Xvfb" >&2; return 1
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
  if [ -n "$_quorel_xvfb_pid" ]; then
    kill "$_quorel_xvfb_pid" 2>/dev/null || true
    wait "$_quorel_xvfb_pid" 2>/dev/null || true
    _quorel_xvfb_pid=""
  fi
  if [ -n "$_quorel_own_prefix" ]; then
    rm -rf "$_quorel_own_prefix"
    _quorel_own_prefix=""
  fi
}
