#!/usr/bin/env bash
# Installs what is missing, builds both architectures and runs every test
# under Wine on a private virtual display. Extra arguments go to ctest
# (for example -R Shortcut) in both passes: the tests of two monitors (named
# TwoMonitors.*) among those chosen run in a second pass, on a display of
# two monitors side by side; on one monitor they would only skip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
# The product must be a 32-bit Windows GUI program that needs no DLL
# beyond those Windows ships, states the Windows it needs in its header and
# carries its version record; the 64-bit build the tests run, too.
scripts/check-exe.sh build/i686/Quorel.exe
scripts/check-exe.sh build/x86_64/Quorel.exe x86_64

. scripts/winenv.sh
trap quorel_wine_down EXIT
quorel_wine_up
status=0
ctest --preset x86_64 -E '^TwoMonitors[.]' "$@" || status=$?
quorel_wine_down

export QUOREL_MONITORS=2
quorel_wine_up
two=$(ctest --preset x86_64 -N "$@" | sed -n 's/^ *Test *#[0-9]*: \(TwoMonitors[.][A-Za-z0-9_]*\)$/\1/p' |
  paste -sd "|" || true)
if [ -n "$two" ]; then
  ctest --preset x86_64 -R "^($two)\$" || status=$?
fi
exit "$status"
