#!/usr/bin/env bash
# The viewer as a desktop user meets it, under Xvfb with a window manager
# (openbox): `viewer FILE` shows FILE in a window of outer size 750x650;
# Alt+1 changes nothing; with the FPS counter off it rests (under 5 % of a
# core over 5 s); Right and Left go through the folder's three pictures;
# F1 asks a stand-in zenity, first on PATH, which records its arguments
# (modal, attached to the viewer's window, a filter of any case) and
# answers with a file; a file that is no JPEG and a 32-bit BMP each get a
# box that says why; a portrait photo with EXIF orientation 6 shows
# upright, and Home shows it undistorted.
# Usage: desktop_e2e.sh VIEWER WRITE_DESKTOP_FILES.
# Exit code 77: Xvfb or openbox is missing.
set -euo pipefail

viewer=$(realpath "$1")
write_files=$(realpath "$2")
command -v openbox >/dev/null || { echo "openbox is not installed: skipped"; exit 77; }
source "$(dirname "$0")/x_session.sh"

red="220 0 0"
blue="0 0 220"
bmp_centre="156 24 32"  # the BMP builder's gradient at picture pixel (32, 24)

"$write_files" "$work/files" > /dev/null
mkdir "$work/bin"
cat > "$work/bin/zenity" <<'STANDIN'
#!/bin/sh
# Records its arguments, one a line, and answers a file selection with the
# path in the answer file.
for argument in "$@"; do printf '%s\n' "$argument"; done >> "$ZENITY_LOG"
echo "--" >> "$ZENITY_LOG"
[ "$1" = "--file-selection" ] && cat "$ZENITY_ANSWER"
exit 0
STANDIN
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH" ZENITY_LOG="$work/zenity.log" ZENITY_ANSWER="$work/answer"

start_x_server
start_window_manager

cd "$work/files"
start_viewer album/a.jpg

# The picture, fitted to the window, covers the middle of the client area.
centre_is() { pixel_near 350 350 "$1" 12; }
wait_until "viewer FILE shows FILE" centre_is "$red"

outer_size() {
  local client frame
  client=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
  frame=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
  [ -n "$frame" ] || return 1
  read -r w h <<< "$client"
  read -r left right top bottom <<< "$frame"
  outer="$((w + left + right))x$((h + top + bottom))"
  [ "$outer" = "750x650" ]
}
for _ in $(seq 50); do outer_size && break; sleep 0.1; done
outer_size || fail "outer size under the window manager: ${outer:-unknown}, not 750x650"

mouse_to 700 300  # inside the window for the keys, away from what is checked
screenshot
help_text=$(region 10 78 200 100)
xdotool key alt+1
sleep 1
screenshot
region_changed 10 78 200 100 "$help_text" && fail "Alt+1 changed the help text"

xdotool key f
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$viewer_pid/stat"; }
before=$(ticks)
sleep 5
used=$(($(ticks) - before))
# CPU ticks are 1/100 s: 5 % of 5 s is 25.
[ "$used" -lt 25 ] || fail "the viewer used $used ticks of CPU in 5 s at rest with the counter off"

for move in "Right $bmp_centre" "Right $blue" "Right $red" "Left $blue"; do
  read -r key colour <<< "$move"
  xdotool key "$key"
  wait_until "$key goes to the picture of colour $colour" centre_is "$colour"
done

# Runs F1 with the stand-in answering $1, and keeps what it was asked.
open_with_dialog() {
  : > "$ZENITY_LOG"
  printf '%s\n' "$1" > "$ZENITY_ANSWER"
  xdotool key F1
}
zenity_asked() { grep -qxF -- "$1" "$ZENITY_LOG"; }
zenity_asked_about() { grep -qF -- "$1" "$ZENITY_LOG"; }

open_with_dialog "$work/files/notes.jpg"
wait_until "a box about notes.jpg" zenity_asked "--error"
zenity_asked "--file-selection" || fail "F1 did not ask for a file"
zenity_asked "--modal" || fail "the dialog is not modal"
zenity_asked "--attach=$window" || fail "the dialog is not attached to window $window: $(grep attach "$ZENITY_LOG")"
zenity_asked_about "*.[jJ][pP][gG] *.[jJ][pP][eE][gG]" || fail "the filter does not match any case"
zenity_asked "--title=Load error." || fail "the box is not titled Load error."
zenity_asked_about "notes.jpg: not a JPEG file" || fail "the box does not say why: $(cat "$ZENITY_LOG")"

open_with_dialog "$work/files/deep.bmp"
wait_until "a box about deep.bmp" zenity_asked "--error"
zenity_asked_about "deep.bmp: 32-bit BMP files are not supported" || fail "the box does not say why: $(cat "$ZENITY_LOG")"

# Upright the portrait is red above blue; as stored, red left of blue.
xdotool key 1 r  # help text and colour probe off: they would cover the edges checked below
open_with_dialog "$work/files/portrait.jpg"
upright() { pixel_near 350 200 "$red" 12 && pixel_near 350 500 "$blue" 12; }
wait_until "the portrait photo stands upright" upright

# Home: 32 x 64 in the client area less 50 pixels all round, centred.
read -r cw ch <<< "$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')"
xdotool key Home
scale=$(awk -v w="$cw" -v h="$ch" 'BEGIN { s = (w - 100) / 32; t = (h - 100) / 64; print (s < t ? s : t) }')
read -r left top right bottom <<< "$(awk -v w="$cw" -v h="$ch" -v s="$scale" \
  'BEGIN { pw = 32 * s; ph = 64 * s; l = (w - pw) / 2; t = (h - ph) / 2; printf "%d %d %d %d", l, t, l + pw, t + ph }')"
midx=$(((left + right) / 2))
upper=$((top + (bottom - top) / 4))
undistorted() {
  pixel_near $((left + 4)) "$upper" "$red" 12 && pixel_is $((left - 4)) "$upper" "255 255 255" &&
    pixel_near $((right - 4)) "$upper" "$red" 12 && pixel_is $((right + 4)) "$upper" "255 255 255" &&
    pixel_near "$midx" $((top + 4)) "$red" 12 && pixel_is "$midx" $((top - 4)) "255 255 255" &&
    pixel_near "$midx" $((bottom - 4)) "$blue" 12 && pixel_is "$midx" $((bottom + 4)) "255 255 255"
}
wait_until "Home shows the picture undistorted in ($left,$top)-($right,$bottom)" undistorted

quit_viewer
echo "passed"
