#!/usr/bin/env bash
# Pictures in their own proportions, under Xvfb with openbox: `viewer FILE`
# shows a 600x900 portrait fitted to the window (2:3, 50 pixels free on the
# tighter side, centred); Right shows the folder's 1200x600 picture fitted
# (2:1); a resize of the window fits it again; + and keypad - zoom about
# the centre by 1.1 and 0.9; 0 shows the next, 200x100, picture at its
# actual size; after Home, F11 covers the screen and the picture fits it;
# Escape leaves fullscreen without quitting, and Q quits with exit code 0.
# Usage: fitting_e2e.sh VIEWER. Exit code 77: Xvfb, openbox or ImageMagick
# is missing.
set -euo pipefail

viewer=$(realpath "$1")
command -v openbox >/dev/null || { echo "openbox is not installed: skipped"; exit 77; }
command -v convert >/dev/null || { echo "ImageMagick is not installed: skipped"; exit 77; }
source "$(dirname "$0")/x_session.sh"

green="0 160 0"
blue="0 0 160"
red="160 0 0"
mkdir "$work/shapes"
cd "$work/shapes"
convert -size 600x900 "xc:rgb(${green// /,})" -quality 95 a_portrait.jpg
convert -size 1200x600 "xc:rgb(${blue// /,})" -quality 95 b_wide.jpg
convert -size 200x100 "xc:rgb(${red// /,})" -quality 95 c_small.jpg

start_x_server
start_window_manager
start_viewer a_portrait.jpg

mouse_to 5 5  # inside the window for the keys
xdotool key 1 r  # help text and colour probe off: nothing but the picture on the centre lines
wait_until "viewer FILE shows the 600x900 portrait fitted, 2:3" shows "$green" 600 900
xdotool key Right
wait_until "Right shows the 1200x600 picture fitted, 2:1" shows "$blue" 1200 600

before="$width $height"
resized_and_fitted() { [ "$width $height" != "$before" ] && fitted 1200 600; }
xdotool windowsize "$window" 1000 500
wait_until "the fitted picture fits the resized window" resized_and_fitted

read -r fw fh <<< "$pw $ph"
xdotool key plus
wait_until "+ zooms in by 1.1" extent_is $((fw * 11 / 10)) $((fh * 11 / 10)) 3
xdotool key KP_Subtract
wait_until "keypad - zooms out by 0.9" extent_is $((fw * 99 / 100)) $((fh * 99 / 100)) 3

xdotool key Right
wait_until "Right shows the 200x100 picture fitted" shows "$red" 200 100
xdotool key 0
wait_until "0 shows the picture at its actual size" extent_is 200 100 1

xdotool key Home F11
wait_until "F11 covers the screen and the picture fits it" shows_fullscreen "$red" 200 100

xdotool key Escape
left_fullscreen() { [ "$width $height" != "1280 1024" ] && shows "$red" 200 100; }
wait_until "Escape leaves fullscreen" left_fullscreen
kill -0 "$viewer_pid" 2>/dev/null || fail "Escape in fullscreen ended the viewer"

xdotool key q
for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$viewer_pid" 2>/dev/null && fail "Q did not end the viewer"
status=0
wait "$viewer_pid" || status=$?
viewer_pid=""
[ "$status" -eq 0 ] || fail "exit code $status after Q"
echo "passed"
