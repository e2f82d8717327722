# Shared by the end-to-end scripts, which source it: screenshots of
# $window into $work, and checks of their pixels. Expects $work, $window,
# $sample (the picture the viewer shows at start-up) and a fail function.

screenshot() {
  xwd -id "$window" -silent > "$work/shot.xwd" 2>/dev/null || return 1
  convert "xwd:$work/shot.xwd" -depth 8 +set comment "$work/shot.ppm"
  header=$(head -n 3 "$work/shot.ppm" | wc -c)
  width=$(sed -n 2p "$work/shot.ppm" | cut -d' ' -f1)
}

# Client pixel (x, y) of the last screenshot as "r g b", kept in $last.
pixel() {
  last=$(od -An -tu1 -j $((header + ($2 * width + $1) * 3)) -N3 "$work/shot.ppm" | xargs)
}
pixel_is() { pixel "$1" "$2" && [ "$last" = "$3" ]; }
# Every channel within tolerance of the expected "r g b".
pixel_near() {
  local got want
  pixel "$1" "$2"
  read -ra got <<< "$last"
  read -ra want <<< "$3"
  for c in 0 1 2; do
    local d=$((got[c] - want[c]))
    [ ${d#-} -le "$4" ] || return 1
  done
}
region() { convert "$work/shot.ppm" -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
region_changed() { [ "$(region "$1" "$2" "$3" "$4")" != "$5" ]; }
region_white() { [ "$(region "$1" "$2" "$3" "$4")" = "$(convert -size "$3x$4" xc:white -depth 8 rgb:- | md5sum | cut -d' ' -f1)" ]; }
region_not_white() { ! region_white "$@"; }

# The sample's own colour at a picture pixel, decoded by ImageMagick.
sample_colour() { convert "$sample" -crop "1x1+$1+$2" +repage -depth 8 rgb:- | od -An -tu1 | xargs; }

# The start-up frame on the last screenshot: the picture fills the square
# (100,100)-(600,600), nearest filter, so client (100 + 500u/640,
# 100 + 500v/480) shows picture pixel (u, v); the markers of points 2, 3
# and 4 and a white background, checked down to row $1.
check_startup_square() {
  local bottom=$1
  pixel_is 604 96 "0 0 250" || fail "blue marker of point 2 at (604,96): $last"
  pixel_is 96 604 "0 0 250" || fail "blue marker of point 4 at (96,604): $last"
  pixel_is 604 604 "250 0 0" || fail "red marker of point 3 at (604,604): $last"
  for p in "700 40" "40 $bottom" "700 $bottom" "350 $bottom"; do
    pixel_is $p "255 255 255" || fail "white background at ($p): $last"
  done
  for p in "350 350 320 240" "200 500 128 384" "500 200 512 96"; do
    read -r x y u v <<< "$p"
    want=$(sample_colour "$u" "$v")
    pixel_near "$x" "$y" "$want" 16 || fail "picture pixel at ($x,$y): $last, sample $want"
  done
}
