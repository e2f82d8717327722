#!/usr/bin/env bash
# viewer-decode.exe under Wine writes the same PPM bytes as the native
# viewer-decode for every golden file and every inverse-DCT family, and,
# given the native stress-file writer, for two 4000 x 3000 photographs
# (baseline and progressive) decoded on 2, 4 and 8 threads under Wine
# against one native thread.
# Usage: decode_compare.sh WINDOWS_DECODE.EXE NATIVE_DECODE GOLDEN_DIR [WRITE_STRESS_FILES].
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
if [ -x "${4:-}" ]; then
  "$4" --large "$work/large" > /dev/null
  for file in "$work"/large/*.jpg; do
    "$native_decode" --threads 1 --out native.ppm "$file" > /dev/null
    for threads in 2 4 8; do
      "$wine" "$windows_decode" --threads "$threads" --out windows.ppm "$file" > /dev/null
      cmp -s native.ppm windows.ppm || { echo "FAILED: $file on $threads threads differs"; exit 1; }
      compared=$((compared + 1))
    done
  done
fi
echo "passed: $compared decodes byte-identical"
