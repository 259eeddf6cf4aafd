#!/usr/bin/env bash
# Checks the release packaging (maintainers; not part of the test suite, as
# it builds both products twice): scripts/package.sh run twice must give
# both archives byte for byte the same; each archive must hold exactly
# Quorel.exe, Readme.txt, Readme-en.txt and LICENSE, its checksum file must
# match it, each read-me must be UTF-8 with a byte order mark, CRLF line
# ends and the version filled in, and the exe inside must pass
# scripts/check-exe.sh for its architecture.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^#define QUOREL_VERSION_TEXT "\([^"]*\)"$/\1/p' src/res/version.h)
archives=("Quorel-$version-x86.zip" "Quorel-$version-x64.zip")

scripts/package.sh >/dev/null
first=$(cd dist && sha256sum "${archives[@]}")
scripts/package.sh >/dev/null
second=$(cd dist && sha256sum "${archives[@]}")
if [ "$first" != "$second" ]; then
  echo "check-package: two runs gave different archives:" >&2
  printf '%s\n--\n%s\n' "$first" "$second" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for arch in x86 x64; do
  zip="Quorel-$version-$arch.zip"
  (cd dist && sha256sum -c --quiet "$zip.sha256")
  names=$(python3 -c 'import sys, zipfile; print(" ".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "dist/$zip")
  [ "$names" = "Quorel.exe Readme.txt Readme-en.txt LICENSE" ] || { echo "check-package: $zip holds: $names" >&2; exit 1; }
  mkdir -p "$tmp/$arch"
  python3 -m zipfile -e "dist/$zip" "$tmp/$arch"
  for readme in Readme.txt Readme-en.txt; do
    python3 - "$tmp/$arch/$readme" "$version" <<'PY' || { echo "check-package: $zip: $readme is not as it should be" >&2; exit 1; }
import sys
data, version = open(sys.argv[1], "rb").read(), sys.argv[2]
text = data[3:].decode("utf-8")
lines = text.split("\n")
assert data.startswith(b"\xef\xbb\xbf"), "no byte order mark"
assert lines[-1] == "" and all(l.endswith("\r") for l in lines[:-1]), "not CRLF"
assert "\r\r" not in text and "@VERSION@" not in text and version in lines[0], "version"
PY
  done
  scripts/check-exe.sh "$tmp/$arch/Quorel.exe" "$arch"
done
echo "check-package: both archives made, reproducible, and both exes checked"
echo "$first"
