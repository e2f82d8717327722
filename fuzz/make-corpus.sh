#!/usr/bin/env bash
# Writes the seed corpus of every fuzz target into DIR (default
# /tmp/viewer-fuzz-corpus): DIR/decode, DIR/bmp, DIR/view, DIR/input.
# Small JPEGs of each layout made with cjpeg (libjpeg-turbo-progs), BMPs
# made with ImageMagick, and a few fixed byte patterns. A decode seed starts
# with one byte that selects the inverse-DCT family. With VIEWER_CAMERA_FILES
# naming a built write_camera_files (tests/fuzz_seeds), the decode seeds also
# get files laid out as cameras and phones write them: EXIF, ICC, Photoshop
# and MPF segments, stray marker pairs, data after the end, cut scans.
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
)
for entry in "${jpegs[@]}"; do
  name="${entry%%:*}"
  # shellcheck disable=SC2086
  cjpeg -quality 75 ${entry#*:} "$work/photo.ppm" > "$work/$name.jpg"
done
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
