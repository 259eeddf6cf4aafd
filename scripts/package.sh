#!/usr/bin/env bash
# Makes the release archives for Windows users: builds the 32-bit and the
# 64-bit product, each in a fresh build folder (build/package-x86,
# build/package-x64), checks them, and writes
#   dist/Quorel-<version>-x86.zip         for 32-bit Windows
#   dist/Quorel-<version>-x64.zip         for 64-bit Windows
# each holding Quorel.exe, Readme.txt (Japanese), Readme-en.txt (English)
# and LICENSE, and each with its
# SHA-256 checksum beside it (<archive>.sha256, for sha256sum -c).
# The version comes from src/res/version.h. The archives are reproducible:
# the same source gives the same bytes (fixed order, fixed file times: the
# last commit's time, or SOURCE_DATE_EPOCH when it is set). Installs what is
# missing first, like the other scripts.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

version=$(sed -n 's/^#define QUOREL_VERSION_TEXT "\([^"]*\)"$/\1/p' src/res/version.h)
[ -n "$version" ] || { echo "package: no QUOREL_VERSION_TEXT in src/res/version.h" >&2; exit 1; }

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 1767225600) # 2026-01-01
fi
if [ -n "$(git status --porcelain -- src CMakeLists.txt CMakePresets.json cmake package LICENSE 2>/dev/null)" ]; then
  echo "package: note: the working tree has changes that are not committed" >&2
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p dist

# One archive: architecture (x86, x64) and the CMake preset of its product.
package() {
  local arch=$1 preset=$2
  local name="Quorel-$version-$arch"
  local build="build/package-$arch"
  local files="$stage/$arch"

  # The product, from a clean build folder.
  rm -rf "$build"
  cmake --preset "$preset" -B "$build" >/dev/null
  cmake --build "$build" --target Quorel
  scripts/check-exe.sh "$build/Quorel.exe" "$arch"

  # The archive's files: the read-mes, Japanese and English, in UTF-8 with
  # a byte order mark and CRLF line ends (as Notepad on any Windows reads
  # them), the license with CRLF line ends.
  mkdir -p "$files"
  cp "$build/Quorel.exe" "$files/Quorel.exe"
  local readme
  for readme in Readme.txt Readme-en.txt; do
    { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "package/$readme"; } >"$files/$readme"
  done
  sed -e 's/$/\r/' LICENSE >"$files/LICENSE"

  local zip="dist/$name.zip"
  rm -f "$zip" "$zip.sha256"
  python3 - "$files" "$zip.tmp" "$SOURCE_DATE_EPOCH" Quorel.exe Readme.txt Readme-en.txt LICENSE <<'PY'
import os, sys, time, zipfile
stage, out, epoch, names = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4:]
# ZIP keeps local time in two-second steps from 1980 on; write the UTC time.
stamp = time.gmtime(max(epoch, 315532800))
date_time = stamp[:5] + (stamp[5] - stamp[5] % 2,)
with zipfile.ZipFile(out, "w") as z:
    for name in names:
        info = zipfile.ZipInfo(name, date_time)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0  # MS-DOS: no Unix owner or permissions
        info.external_attr = 0x20  # the archive attribute only
        with open(os.path.join(stage, name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
  mv "$zip.tmp" "$zip"
  (cd dist && sha256sum "$name.zip" >"$name.zip.sha256")
  python3 -m zipfile -t "$zip" >/dev/null
}

package x86 i686
package x64 x86_64-product

for arch in x86 x64; do
  zip="dist/Quorel-$version-$arch.zip"
  echo "package: $zip ($(stat -c %s "$zip") bytes)"
  python3 -m zipfile -l "$zip"
  cat "$zip.sha256"
done
