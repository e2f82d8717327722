# Shared by the end-to-end scripts, which source it: screenshots of
# $window into $work, and checks of their pixels. Expects $work, $window,
# $sample (the picture the viewer shows at start-up) and a fail function.

screenshot() {
  xwd -id "$window" -silent > "$work/shot.xwd" 2>/dev/null || return 1
  convert "xwd:$work/shot.xwd" -depth 8 +set comment "$work/shot.ppm"
  header=$(head -n 3 "$work/shot.ppm" | wc -c)
  width=$(sed -n 2p "$work/shot.ppm" | cut -d' ' -f1)
  height=$(sed -n 2p "$work/shot.ppm" | cut -d' ' -f2)
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

# The length of the run of pixels other than white through index $1 of the
# "r g b" lines on standard input; 0 when that pixel is white.
run_through() {
  od -An -v -tu1 -w3 | awk -v at="$1" '{ white[NR - 1] = ($1 == 255 && $2 == 255 && $3 == 255) }
    END { l = at; while (l > 0 && !white[l - 1]) l--; r = at; while (r < NR - 1 && !white[r + 1]) r++
          print (white[at] ? 0 : r - l + 1) }'
}
# The picture's extent through client pixel (x, y) of the last screenshot,
# "width height": the runs of other than white along row y and column x.
picture_extent() {
  local across down
  across=$(convert "$work/shot.ppm" -crop "${width}x1+0+$2" +repage -depth 8 rgb:- | run_through "$1")
  down=$(convert "$work/shot.ppm" -crop "1x${height}+$1+0" +repage -depth 8 rgb:- | run_through "$2")
  echo "$across $down"
}

# The picture's extent through the centre of the last screenshot, $pw x $ph
# (the screenshot is the client area, $width x $height).
measure() {
  read -r pw ph <<< "$(picture_extent $((width / 2)) $((height / 2)))"
  last="picture ${pw}x$ph in a client area of ${width}x$height"
}
near() { awk -v a="$1" -v b="$2" -v t="$3" 'BEGIN { d = a - b; exit !(d <= t && -d <= t) }'; }
# The extent is $1 x $2 within $3 pixels.
extent_is() { measure && near "$pw" "$1" "$3" && near "$ph" "$2" "$3"; }
# An upright picture of $1 x $2 pixels, fitted: as large as fits with 50
# pixels free on the tighter side, so its extent has the picture's
# proportions.
fitted() {
  extent_is $(awk -v cw="$width" -v ch="$height" -v w="$1" -v h="$2" \
    'BEGIN { s = (cw - 100) / w; t = (ch - 100) / h; if (t < s) s = t; printf "%d %d", w * s, h * s }') 3
}
# The picture of colour "r g b" $1, $2 x $3 pixels, fitted.
shows() { fitted "$2" "$3" && pixel_near $((width / 2)) $((height / 2)) "$1" 16; }
# The same at the screen's size, 1280 x 1024.
shows_fullscreen() { [ "$width $height" = "1280 1024" ] && shows "$@"; }

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
