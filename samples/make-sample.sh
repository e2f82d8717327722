#!/usr/bin/env bash
# Makes small.jpg: a 640x480 picture drawn here (interfering sine waves and
# a few shapes) with a 160x120 EXIF thumbnail of itself, so that the file
# holds two baseline JPEG images. Needs ImageMagick's convert.
#
# Layout: SOI, APP1 "Exif" (a little-endian TIFF block whose second IFD
# points at the thumbnail, which follows it inside the segment), then the
# main image's segments.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

convert -size 640x480 xc: \
  -channel R -fx '0.5+0.45*sin(i/53+j/97)' \
  -channel G -fx '0.5+0.45*sin(j/41-i/131+1.3)' \
  -channel B -fx '0.5+0.45*cos(hypot(i-420,j-170)/37)' +channel \
  -fill '#ffd21e' -stroke '#202020' -strokewidth 3 -draw 'circle 110,380 160,380' \
  -fill none -stroke white -strokewidth 6 -draw 'rectangle 470,330 600,440' \
  -fill '#e0207a' -stroke none -draw 'polygon 40,40 150,60 70,150' \
  "$work/picture.png"
convert "$work/picture.png" -strip -sampling-factor 2x2 -quality 88 "$work/main.jpg"
convert "$work/picture.png" -resize 160x120 -strip -sampling-factor 2x2 -quality 80 "$work/thumb.jpg"

# Little-endian 16- and 32-bit integers, big-endian 16-bit (JPEG lengths).
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }
be16() { printf "\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 & 255)))"; }
# One 12-byte IFD entry: tag, type (3 SHORT, 4 LONG), count 1, value.
entry() {
  le16 "$1"; le16 "$2"; le32 1
  if [ "$2" = 3 ]; then le16 "$3"; le16 0; else le32 "$3"; fi
}

thumb_size=$(stat -c %s "$work/thumb.jpg")
ifd0=8                       # after the TIFF header
ifd1=$((ifd0 + 2 + 12 + 4))  # IFD0 holds one entry
thumb=$((ifd1 + 2 + 3 * 12 + 4))
{
  printf 'II'; le16 42; le32 $ifd0
  le16 1; entry 0x0112 3 1; le32 $ifd1                  # orientation: top-left
  le16 3                                                # IFD1: the thumbnail
  entry 0x0103 3 6                                      # compression: JPEG
  entry 0x0201 4 $thumb                                 # JPEGInterchangeFormat
  entry 0x0202 4 "$thumb_size"                          # JPEGInterchangeFormatLength
  le32 0
  cat "$work/thumb.jpg"
} > "$work/tiff"
{
  printf '\xff\xd8\xff\xe1'; be16 $((2 + 6 + $(stat -c %s "$work/tiff")))
  printf 'Exif\0\0'
  cat "$work/tiff"
  tail -c +3 "$work/main.jpg"
} > small.jpg
echo "small.jpg: $(stat -c %s small.jpg) bytes"
