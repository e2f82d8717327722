#!/usr/bin/env bash
# Starts the viewer on a copy of the sample in an empty folder under Xvfb,
# checks the first frame (picture, markers, white background), then that
# B, D, F5 (a second load time), I, C, S, 1, R, a drag of point 1, a drag
# released outside the window, a wheel turn and Escape each show, and that
# the program ends with code 0 after printing its load time.
# Usage: viewer_e2e.sh VIEWER SMALL_JPG. Exit code 77: Xvfb is missing.
set -euo pipefail

viewer=$(realpath "$1")
sample=$(realpath "$2")
source "$(dirname "$0")/x_session.sh"

start_x_server
cd "$work"
cp "$sample" small.jpg
start_viewer

# Start-up. Markers show where neither the picture nor the help text
# covers them: point 1's only once the help is hidden.
wait_until "blue marker of point 2 outside the picture" pixel_is 604 96 "0 0 250"
check_startup_square 620

mouse_to 700 300  # inside the window for the keys, away from what is checked
picture=$(region 300 300 200 200)
xdotool key b
wait_until "B changes the filter" region_changed 300 300 200 200 "$picture"

label=$(region 10 235 200 20)
xdotool key d
wait_until "D changes the transform label" region_changed 10 235 200 20 "$label"

# D then F5 decodes the picture again with the new transform; I shows the
# lines that say what the load was, along the bottom left of the picture,
# and C the transform's difference from the exact one in its place.
load_times() { [ "$(grep -c "JPG load time = " out.txt)" = "$1" ]; }
xdotool key F5
wait_until "F5 prints a second load time" load_times 2
region_white 10 600 80 36 || fail "information lines before I"
xdotool key i
wait_until "I shows the information lines" region_not_white 10 600 80 36
picture=$(region 300 300 200 200)
xdotool key c
wait_until "C shows the difference view" region_changed 300 300 200 200 "$picture"
xdotool key c
wait_until "C again gives the picture back" eval '! region_changed 300 300 200 200 "$picture"'
xdotool key i
wait_until "I hides the information lines" region_white 10 600 80 36

screenshot
picture=$(region 300 300 200 200)
counter=$(region 10 255 150 20)
xdotool key s
wait_until "S shows the other image" region_changed 300 300 200 200 "$picture"
region_changed 10 255 150 20 "$counter" || fail "S changes the sub-image counter"

region_not_white 10 78 80 16 || fail "help text before 1"
xdotool key 1
wait_until "1 hides the help text" region_white 10 78 80 16
pixel_is 96 96 "0 0 250" || fail "blue marker of point 1 at (96,96) once the help is hidden"

region_not_white 210 10 150 20 || fail "colour probe before R"
xdotool key r
wait_until "R hides the colour probe" region_white 210 10 150 20

mouse_to 100 100
xdotool mousedown 1
mouse_to 125 125
mouse_to 150 150
xdotool mouseup 1
mouse_to 700 300
wait_until "point 1 dragged to (150,150)" pixel_is 146 146 "0 0 250"
pixel_is 96 96 "255 255 255" || fail "the old marker of point 1 is gone"

# Points are now 1 (150,150), 2 (600,100), 3 (550,550), 4 (100,600). A pan
# by -380 released left of the window puts point 2 at (220,100); had the
# release been lost, the move back inside would pan on by +40.
mouse_to 350 350
xdotool mousedown 1
mouse_to 340 350
mouse_to -30 350
xdotool mouseup 1
mouse_to 10 350
wait_until "a drag released outside the window ends there" pixel_is 224 96 "0 0 250"

picture=$(region 40 250 160 200)
mouse_to 650 300
xdotool click 4
wait_until "the wheel rotates the picture" region_changed 40 250 160 200 "$picture"

quit_viewer
grep -q "JPG load time = " out.txt || fail "no JPG load time on standard output"
echo "passed"
