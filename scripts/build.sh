#!/usr/bin/env bash
# Builds the 32-bit product and the 64-bit build with its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in i686 x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
