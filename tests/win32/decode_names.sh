#!/usr/bin/env bash
# viewer-decode.exe under Wine takes its arguments in UTF-16: a picture
# named in Cyrillic or in CJK, and output files named so, decode to the
# same PPM bytes as the picture under an ASCII name; so does a file named
# with backslashes.
# Usage: decode_names.sh WINDOWS_DECODE.EXE SMALL_JPG. Needs a booted
# $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

[ -n "${WINEPREFIX:-}" ] || { echo "no Wine prefix: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
windows_decode=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir folder
cp "$2" small.jpg
cp "$2" фото.jpg
cp "$2" 写真.jpg
cp "$2" folder/inner.jpg

decode() { timeout 30 "$wine" "$windows_decode" --threads 1 --out "$1" "$2" > /dev/null; }
decode ascii.ppm small.jpg || { echo "FAILED: small.jpg did not decode"; exit 1; }
[ -s ascii.ppm ] || { echo "FAILED: no PPM for small.jpg"; exit 1; }
# The output's name as Windows writes it, then as this shell reads it.
check() {
  decode "$1" "$2" || { echo "FAILED: $2 did not decode into $1"; exit 1; }
  cmp -s ascii.ppm "${1//\\//}" || { echo "FAILED: $2 into $1 gives other bytes than small.jpg"; exit 1; }
}
check фото.ppm фото.jpg
check 写真.ppm 写真.jpg
check inner.ppm 'folder\inner.jpg'
check 'folder\выход.ppm' 'folder\inner.jpg'
echo "passed: Cyrillic, CJK and backslash names"
