#!/usr/bin/env bash
# Measures Quorel beside a minimal baseline program under Wine and writes the
# table to bench/results/latest.md (and prints it): hotkey latency, start-up,
# memory, handles and GDI/USER objects over window commands and dialog
# cycles, the size of the 32-bit exe, and minimize-all then restore-all over
# 10, 100 and 400 windows of another process, each against its target.
# --only-all-windows measures that last row alone.
#
# Installs what is missing, builds both presets and the benchmark
# (build/bench, 64-bit: the checker and the baseline; build/bench-i686: the
# 32-bit baseline, for its size). Arguments go to the checker, for example
#   scripts/bench.sh --presses 500 --cycles 10 --verbose
# QUOREL_WINEPREFIX reuses a Wine prefix. Exit code: 0 every target met,
# 1 a target missed, 2 the benchmark could not run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/setup.sh
scripts/build.sh

configure_bench() { # dir toolchain
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="cmake/$2.cmake" \
    -DQUOREL_BUILD_BENCH=ON -DQUOREL_BUILD_TESTS=OFF >/dev/null
}
configure_bench build/bench mingw-x86_64
cmake --build build/bench --target quorel_bench quorel_baseline
configure_bench build/bench-i686 mingw-i686
cmake --build build/bench-i686 --target quorel_baseline

product=build/i686/Quorel.exe
imports=$(i686-w64-mingw32-objdump -p "$product" | awk '/DLL Name:/ {printf "%s%s", sep, $3; sep=" "}')
if scripts/check-exe.sh "$product" >/dev/null; then imports_ok=1; else imports_ok=0; fi

revision=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
if ! git diff --quiet HEAD -- src CMakeLists.txt CMakePresets.json cmake 2>/dev/null; then
  revision="$revision with local changes"
fi
out=bench/results/latest.md
mkdir -p "$(dirname "$out")"
. scripts/winenv.sh
trap quorel_wine_down EXIT
quorel_wine_up

status=0
"$WINE" build/bench/bench/quorel_bench.exe \
  --quorel "$root/build/x86_64/Quorel.exe" \
  --baseline "$root/build/bench/bench/quorel_baseline.exe" \
  --size-quorel "$root/$product" \
  --size-baseline "$root/build/bench-i686/bench/quorel_baseline.exe" \
  --imports "$imports" --imports-ok "$imports_ok" --revision "$revision" \
  --out "$root/$out" "$@" </dev/null || status=$?
if [ "$status" -le 1 ]; then
  echo
  cat "$out"
fi
exit "$status"
