#!/usr/bin/env bash
# Installs what building, testing and packaging Quorel needs on a Debian
# machine.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-win32
  cmake ninja-build googletest
  wine64 xvfb xserver-xephyr xauth xdotool x11-utils imagemagick
  fonts-ipafont-gothic fonts-wine
  python3
  locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The Japanese locale: under LANG=ja_JP.UTF-8 Wine reports a Japanese
# Windows (display language 0x411), which the language tests start
# Quorel under.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
[ -x /usr/lib/wine/wine64 ] || { echo "setup: /usr/lib/wine/wine64 is missing" >&2; exit 1; }
