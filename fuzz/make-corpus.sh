#!/usr/bin/env bash
# Writes the seed corpus of every fuzz target into DIR (default
# /tmp/viewer-fuzz-corpus): DIR/decode, DIR/bmp, DIR/view, DIR/input.
# Small JPEGs of each layout made with cjpeg (libjpeg-turbo-progs): sampling
# factors, restarts, greyscale, progressive and custom scan scripts, one scan
# per component, RGB, 16-bit tables, arithmetic coding sequential and
# progressive, a progressive file cut short; CMYK as
# ImageMagick writes it; BMPs made with ImageMagick, and a few fixed byte
# patterns. A decode seed starts with one byte that selects the inverse-DCT
# family. With VIEWER_CAMERA_FILES naming a built write_camera_files
# (tests/fuzz_seeds), the decode seeds also get files laid out as cameras
# and phones write them: EXIF, ICC, Photoshop and MPF segments, stray marker
# pairs, data after the end, cut scans.
set -euo pipefail
out="${1:-/tmp/viewer-fuzz-corpus}"
mkdir -p "$out"/{decode,bmp,view,input}
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

convert -size 24x16 gradient:red-blue -depth 8 "ppm:$work/photo.ppm"
convert -size 8x8 gradient:yellow-green -depth 8 "ppm:$work/thumb.ppm"

# name, then cjpeg options
jpegs=(
  "s444:-sample 1x1"
  "s422:-sample 2x1"
  "s420:-sample 2x2"
  "s411:-sample 4x1"
  "restart1:-sample 2x2 -restart 1B"
  "restart3:-sample 1x1 -restart 3B"
  "optimized:-sample 2x2 -optimize"
  "grey:-grayscale"
  "progressive:-progressive"
  "progressive-restart:-progressive -restart 1B"
  "approximation:-scans $work/approximation.scans"
  "scan-per-component:-scans $work/per-component.scans -restart 2B"
  "s440:-sample 1x2"
  "s410:-sample 4x2"
  "luma3x1:-sample 3x1"
  "chroma2x2:-sample 1x1,2x2,2x2"
  "mixed-sampling:-sample 2x2,1x2,2x1"
  "rgb:-rgb"
  "sixteen-bit-tables:-quality 5"
  "arithmetic:-arithmetic -sample 2x2"
  "arithmetic-restart:-arithmetic -sample 1x1 -restart 1B"
  "arithmetic-grey:-arithmetic -grayscale"
  "arithmetic-rgb:-arithmetic -rgb"
  "arithmetic-progressive:-arithmetic -progressive -restart 2B"
  "arithmetic-approximation:-arithmetic -scans $work/approximation.scans"
)

# Successive approximation on luma and chroma, DC refined in steps, each AC
# band first with bits held back, then refined.
cat > "$work/approximation.scans" <<'SCANS'
0,1,2: 0-0, 0, 2;
0: 1-5, 0, 2;
2: 1-63, 0, 1;
1: 1-63, 0, 2;
0: 6-63, 0, 2;
1: 1-63, 2, 1;
0: 1-63, 2, 1;
0: 0-0, 2, 1;
1,2: 0-0, 2, 1;
0,1,2: 0-0, 1, 0;
2: 1-63, 1, 0;
1: 1-63, 1, 0;
0: 1-63, 1, 0;
SCANS
# Sequential, one scan per component, Cr first.
printf '2;\n0;\n1;\n' > "$work/per-component.scans"

for entry in "${jpegs[@]}"; do
  name="${entry%%:*}"
  # A later -quality overrides the first.
  # shellcheck disable=SC2086
  cjpeg -quality 75 ${entry#*:} "$work/photo.ppm" > "$work/$name.jpg"
done

# Drops the Adobe segment that libjpeg writes right after the SOI: RGB is
# then marked by its component identifiers alone, and four components are
# read as CMYK stored as it is.
withoutAdobeSegment() {
  [ "$(od -A n -t x1 -j 2 -N 2 "$1" | tr -d ' ')" = ffee ] || { echo "no Adobe segment after the SOI of $1" >&2; exit 1; }
  { head -c 2 "$1"; tail -c +19 "$1"; } > "$2"
}
withoutAdobeSegment "$work/rgb.jpg" "$work/rgb-by-ids.jpg"
# ImageMagick writes CMYK as YCCK under an Adobe marker with transform 2,
# its inks inverted.
convert "$work/photo.ppm" -colorspace CMYK -quality 75 "$work/ycck.jpg"
withoutAdobeSegment "$work/ycck.jpg" "$work/four-components-unmarked.jpg"
# A progressive file cut halfway through the data of its last scan, luma's
# final refinement, and not after a 0xFF, which would leave half a marker.
# The gradient leaves that scan a few bytes; a noisy picture fills it.
convert -seed 7 -size 48x32 plasma:fractal -depth 8 "ppm:$work/noisy.ppm"
cjpeg -quality 75 -progressive "$work/noisy.ppm" > "$work/noisy-progressive.jpg"
byteAt() { od -A n -t u1 -j "$2" -N 1 "$1" | tr -d ' '; }
whole="$work/noisy-progressive.jpg"
lastScan=$(od -A d -t x1 -v -w1 "$whole" |
  awk 'previous == "ff" && $2 == "da" { at = previousOffset } { previous = $2; previousOffset = $1 + 0 } END { print at }')
scanData=$((lastScan + 2 + $(byteAt "$whole" $((lastScan + 2))) * 256 + $(byteAt "$whole" $((lastScan + 3)))))
cut=$(((scanData + $(stat -c %s "$whole") - 2) / 2))
while [ "$(byteAt "$whole" $((cut - 1)))" = 255 ]; do cut=$((cut - 1)); done
head -c "$cut" "$whole" > "$work/progressive-cut.jpg"
rm "$whole"
cjpeg -quality 60 -sample 1x1 "$work/thumb.ppm" > "$work/thumb.jpg"

# A main picture with the thumbnail in an APP1 segment after its SOI.
thumbSize=$(stat -c %s "$work/thumb.jpg")
length=$((thumbSize + 2))
{
  printf '\xFF\xD8\xFF\xE1'
  printf "\\x$(printf %02x $((length >> 8)))\\x$(printf %02x $((length & 255)))"
  cat "$work/thumb.jpg"
  tail -c +3 "$work/s420.jpg"
} > "$work/thumbnail.jpg"

for file in "$work"/*.jpg; do
  { printf '\x00'; cat "$file"; } > "$out/decode/$(basename "$file" .jpg)"
done
if [ -n "${VIEWER_CAMERA_FILES:-}" ]; then
  "$VIEWER_CAMERA_FILES" "$out/decode"
fi

convert -size 5x3 gradient:blue-white -type TrueColor "BMP3:$out/bmp/odd-width.bmp"
convert -size 4x4 gradient:red-black -type TrueColor "BMP3:$out/bmp/square.bmp"

# The view and input harnesses read typed values; a few byte patterns
# start them off with ordinary, all-zero and all-ones values.
printf '\x40\x30\x20\x20\x10\x10' > "$out/view/small"
head -c 256 /dev/zero > "$out/view/zeros"
head -c 256 /dev/zero | tr '\0' '\377' > "$out/view/ones"
printf '\x00\x01\x05\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' > "$out/input/keys"
head -c 256 /dev/zero | tr '\0' '\001' > "$out/input/ones"
