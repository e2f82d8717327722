#!/usr/bin/env bash
# The Windows viewer under Wine shows pictures in their own proportions:
# started with a 600x900 portrait, it shows it fitted to the window (2:3,
# 50 pixels free on the tighter side, centred); Right shows the folder's
# 1200x600 picture fitted (2:1); - and + zoom about the centre by 0.9 and
# 1.1; Right and 0 show a 200x100 picture at its actual size; Home and F11
# show it fitted to the whole screen; Escape leaves fullscreen without
# quitting, and Q ends the viewer with exit code 0.
# Usage: fitting_e2e.sh VIEWER.EXE. Needs $DISPLAY and a booted $WINEPREFIX
# (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")
evidence="$PWD/windows_fitting_e2e_last.png"

green="0 160 0"
blue="0 0 160"
red="160 0 0"
cd "$work"
convert -size 600x900 "xc:rgb(${green// /,})" -quality 95 a_portrait.jpg
convert -size 1200x600 "xc:rgb(${blue// /,})" -quality 95 b_wide.jpg
convert -size 200x100 "xc:rgb(${red// /,})" -quality 95 c_small.jpg
start_viewer a_portrait.jpg

# Repeats a check on fresh screenshots for up to 20 seconds.
wait_until() {
  local what=$1 deadline=$((SECONDS + 20))
  shift
  until viewer_screenshot && "$@"; do
    [ $SECONDS -lt $deadline ] || fail "$what (${last:-no screenshot})"
    sleep 0.2
  done
}
key() { xdotool key --window "$window" "$1" 2>/dev/null; }

wait_until "the 600x900 portrait fitted, 2:3" shows "$green" 600 900
key 1  # the help text off: nothing but the picture on the centre lines
key r
key Right
wait_until "Right shows the 1200x600 picture fitted, 2:1" shows "$blue" 1200 600
read -r fw fh <<< "$pw $ph"
key minus  # first, since in by 1.1 the fitted picture would pass the edges
wait_until "- zooms out by 0.9" extent_is $((fw * 9 / 10)) $((fh * 9 / 10)) 3
key plus
wait_until "+ zooms in by 1.1" extent_is $((fw * 99 / 100)) $((fh * 99 / 100)) 3

key Right
wait_until "Right shows the 200x100 picture fitted" shows "$red" 200 100
key 0
wait_until "0 shows the picture at its actual size" extent_is 200 100 1

key Home
key F11
wait_until "F11 covers the screen and the picture fits it" shows_fullscreen "$red" 200 100
key Escape
left_fullscreen() { [ "$width $height" != "1280 1024" ] && shows "$red" 200 100; }
wait_until "Escape leaves fullscreen" left_fullscreen
kill -0 "$viewer_pid" 2>/dev/null || fail "Escape in fullscreen ended the viewer"

key_ends_viewer "$window" q
echo "passed"
