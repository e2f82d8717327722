#!/usr/bin/env bash
# The Windows viewer under Wine, started in a folder holding the sample and
# a file that is no JPEG, with a subfolder holding a good one: F1 opens the
# open dialog as a window owned by the viewer's (transient for it); browsing
# the dialog into the subfolder and cancelling leaves the working directory
# where it was, so that Right goes on from small.jpg in the start folder,
# to the bad file, whose load-error box is owned by the viewer's window too.
# Return closes it, and Escape ends the viewer with exit code 0.
# Usage: dialog_cancel.sh VIEWER.EXE SMALL_JPG. Needs $DISPLAY and a booted
# $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")
sample=$(realpath "$2")

cd "$work"
mkdir other
cp "$sample" small.jpg
echo "no picture" > zz.jpg
cp "$sample" other/c.jpg
start_viewer

# A key that comes before the window takes input is lost: F1 again until
# the dialog shows. While it is up the viewer ignores the window's keys.
dialog=""
deadline=$((SECONDS + 40))
while [ -z "$dialog" ] && [ $SECONDS -lt $deadline ]; do
  xdotool key --window "$window" F1 2>/dev/null
  dialog=$(window_named '^Load JPG or BMP Image' 2)
done
[ -n "$dialog" ] || fail "F1 showed no open dialog"
owned_by_viewer "$dialog" || fail "the dialog is not owned by the viewer's window"
xdotool type --window "$dialog" other 2>/dev/null
xdotool key --window "$dialog" Return 2>/dev/null
sleep 1
xdotool key --window "$dialog" Escape 2>/dev/null
window_gone '^Load JPG or BMP Image' || fail "Escape did not cancel the dialog"

xdotool key --window "$window" Right 2>/dev/null
box=$(window_named '^Load error\.$')
[ -n "$box" ] || fail "Right brought no load-error box: it did not go on in the start folder"
owned_by_viewer "$box" || fail "the load-error box is not owned by the viewer's window"
xdotool key --window "$box" Return 2>/dev/null
window_gone '^Load error\.$' || fail "Return did not close the load-error box"
key_ends_viewer "$window" Escape
echo "passed"
