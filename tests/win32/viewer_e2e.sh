#!/usr/bin/env bash
# The Windows viewer under Wine: asked for its version with standard output
# redirected, it writes it there; started in a folder holding the sample, it
# shows the start-up square (picture, blue and red markers, white
# background) and writes its load time into the console it opened; D then
# F5 decodes the picture again, a second load time; Escape ends it with exit
# code 0.
# Usage: viewer_e2e.sh VIEWER.EXE CONSOLE-TEXT.EXE SMALL_JPG. Needs $DISPLAY
# and a booted $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")
console_text=$(realpath "$2")
sample=$(realpath "$3")
evidence="$PWD/windows_e2e_last.png"

cd "$work"
"$wine" "$viewer" --version > version.txt 2>/dev/null || fail "--version exit code $?"
grep -Eqx "viewer [^ ]+" version.txt || fail "--version wrote: $(cat version.txt)"

cp "$sample" small.jpg
start_viewer

deadline=$((SECONDS + 20))
until viewer_screenshot && pixel_is 604 96 "0 0 250"; do
  [ $SECONDS -lt $deadline ] || fail "blue marker of point 2 at (604,96): ${last:-no screenshot}"
  sleep 0.2
done
check_startup_square 615

"$wine" "$console_text" viewer.exe > console.txt 2>/dev/null || fail "the viewer's console cannot be read"
grep -Eq "^ JPG load time = [0-9]+ ms" console.txt || fail "no load time in the console: $(cat console.txt)"

load_times() { "$wine" "$console_text" viewer.exe 2>/dev/null | grep -Ec "^ JPG load time = [0-9]+ ms" || true; }
xdotool key --window "$window" d F5 2>/dev/null
deadline=$((SECONDS + 20))
until [ "$(load_times)" = 2 ]; do
  [ $SECONDS -lt $deadline ] || fail "D then F5 gave no second load time: $("$wine" "$console_text" viewer.exe)"
  sleep 0.5
done

key_ends_viewer "$window" Escape
echo "passed"
