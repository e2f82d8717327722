#!/usr/bin/env bash
# viewer-decode.exe under Wine writes the same PPM bytes as the native
# viewer-decode for every golden file and every inverse-DCT family.
# Usage: decode_compare.sh WINDOWS_DECODE.EXE NATIVE_DECODE GOLDEN_DIR.
# Exit code 77 when there is no native build or Wine prefix to compare with.
set -euo pipefail

[ -n "${WINEPREFIX:-}" ] && [ -x "$2" ] || { echo "no Wine prefix or native viewer-decode: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
windows_decode=$(realpath "$1")
native_decode=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$3"/*.jpg "$work"
cd "$work"

compared=0
for file in *.jpg; do
  for family in fw aan aan2; do
    "$native_decode" --idct "$family" --out native.ppm "$file" > /dev/null
    "$wine" "$windows_decode" --idct "$family" --out windows.ppm "$file" > /dev/null
    cmp -s native.ppm windows.ppm || { echo "FAILED: $file with $family differs"; exit 1; }
    compared=$((compared + 1))
  done
done
echo "passed: $compared decodes byte-identical"
