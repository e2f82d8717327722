#!/usr/bin/env bash
# The Windows viewer under Wine: asked for its version with standard output
# redirected, it writes it there; started in a folder holding the sample, it
# shows the start-up square (picture, blue and red markers, white
# background) and writes its load time into the console it opened; Escape
# ends it with exit code 0.
# Usage: viewer_e2e.sh VIEWER.EXE CONSOLE-TEXT.EXE SMALL_JPG. Needs $DISPLAY
# and a booted $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

[ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || { echo "no X display or Wine prefix: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
viewer=$(realpath "$1")
console_text=$(realpath "$2")
sample=$(realpath "$3")
evidence="$PWD/windows_e2e_last.png"

work=$(mktemp -d)
viewer_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && { kill "$viewer_pid" 2>/dev/null; wait "$viewer_pid" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  [ -s "$work/shot.ppm" ] && convert "$work/shot.ppm" "$evidence" && echo "last screenshot: $evidence"
  exit 1
}

screenshot() {
  xwd -id "$window" -silent > "$work/shot.xwd" 2>/dev/null || return 1
  convert "xwd:$work/shot.xwd" -depth 8 +set comment "$work/shot.ppm"
  header=$(head -n 3 "$work/shot.ppm" | wc -c)
  width=$(sed -n 2p "$work/shot.ppm" | cut -d' ' -f1)
}
# Client pixel (x, y) of the last screenshot as "r g b", kept in $last.
pixel() { last=$(od -An -tu1 -j $((header + ($2 * width + $1) * 3)) -N3 "$work/shot.ppm" | xargs); }
pixel_is() { pixel "$1" "$2" && [ "$last" = "$3" ]; }
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
sample_colour() { convert "$sample" -crop "1x1+$1+$2" +repage -depth 8 rgb:- | od -An -tu1 | xargs; }

cd "$work"
"$wine" "$viewer" --version > version.txt 2>/dev/null || fail "--version exit code $?"
grep -Eqx "viewer [^ ]+" version.txt || fail "--version wrote: $(cat version.txt)"

cp "$sample" small.jpg
"$wine" "$viewer" > out.txt 2> err.txt &
viewer_pid=$!
# The console is titled Viewer too; the main window is the one of viewer.exe.
main_window() {
  local w
  for w in $(xdotool search --classname '^viewer\.exe$' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Viewer ] && echo "$w" && return
  done
  true
}
window=""
deadline=$((SECONDS + 60))
while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
  kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended before showing its window"
  sleep 0.2
  window=$(main_window)
done
[ -n "$window" ] || fail "no window titled Viewer"

# The square (100,100)-(600,600) holds the picture, nearest filter: client
# (100 + 500u/640, 100 + 500v/480) shows picture pixel (u, v).
deadline=$((SECONDS + 20))
until screenshot && pixel_is 604 96 "0 0 250"; do
  [ $SECONDS -lt $deadline ] || fail "blue marker of point 2 at (604,96): ${last:-no screenshot}"
  sleep 0.2
done
pixel_is 96 604 "0 0 250" || fail "blue marker of point 4 at (96,604): $last"
pixel_is 604 604 "250 0 0" || fail "red marker of point 3 at (604,604): $last"
for p in "700 40" "40 615" "700 615" "350 615"; do
  pixel_is $p "255 255 255" || fail "white background at ($p): $last"
done
for p in "350 350 320 240" "200 500 128 384" "500 200 512 96"; do
  read -r x y u v <<< "$p"
  want=$(sample_colour "$u" "$v")
  pixel_near "$x" "$y" "$want" 16 || fail "picture pixel at ($x,$y): $last, sample $want"
done

"$wine" "$console_text" viewer.exe > console.txt 2>/dev/null || fail "the viewer's console cannot be read"
grep -Eq "^ JPG load time = [0-9]+ ms" console.txt || fail "no load time in the console: $(cat console.txt)"

xdotool key --window "$window" Escape 2>/dev/null
for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$viewer_pid" 2>/dev/null && fail "Escape did not end the viewer"
status=0
wait "$viewer_pid" || status=$?
viewer_pid=""
[ "$status" -eq 0 ] || fail "exit code $status"
echo "passed"
