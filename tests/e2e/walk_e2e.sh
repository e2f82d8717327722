#!/usr/bin/env bash
# The list the viewer walks, under Xvfb with a window manager (openbox):
# `viewer a.jpg b.jpg` shows a.jpg, then Right goes to b.jpg and on to
# a.jpg again, not to the folder's c.jpg; `viewer FOLDER` shows img1.jpg,
# then img2.jpg and img10.jpg, in natural order; each time the window's
# title names the file and its place ("img2.jpg (2/3) — Viewer"); a file
# cut short says "incomplete" in the title; a missing file among the
# arguments is reported on standard error and the others still open.
# Usage: walk_e2e.sh VIEWER. Exit code 77: Xvfb, openbox or ImageMagick is missing.
set -euo pipefail

viewer=$(realpath "$1")
command -v openbox >/dev/null || { echo "openbox is not installed: skipped"; exit 77; }
command -v convert >/dev/null || { echo "ImageMagick is not installed: skipped"; exit 77; }
source "$(dirname "$0")/x_session.sh"

red="220 0 0"
green="0 200 0"
blue="0 0 220"

solid() { convert -size 64x48 "xc:rgb(${1// /,})" -quality 95 "$2"; }
mkdir -p "$work/files/numbered"
cd "$work/files"
solid "$red" a.jpg
solid "$blue" b.jpg
solid "$green" c.jpg
solid "$red" numbered/img1.jpg
solid "$green" numbered/img2.jpg
solid "$blue" numbered/img10.jpg
convert -size 256x256 -seed 7 plasma:fractal -quality 95 whole.jpg
head -c $(($(stat -c %s whole.jpg) * 2 / 3)) whole.jpg > cut.jpg

start_x_server
openbox > "$work/openbox.log" 2>&1 &
background_pids="$! $background_pids"
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

centre_is() { pixel_near 350 350 "$1" 12; }
# The title read last is kept in $last, which a failure shows.
title_is() { last=$(xdotool getwindowname "$window" 2>/dev/null) && [ "$last" = "$1" ]; }
# The key, then the picture of that colour under that title.
step_to() {
  xdotool key "$1"
  wait_until "$1 shows the picture of colour $2" centre_is "$2"
  wait_until "$1 titles the window \"$3\"" title_is "$3"
}

start_viewer a.jpg b.jpg
mouse_to 700 300  # inside the window for the keys, away from what is checked
wait_until "viewer a.jpg b.jpg shows a.jpg first" centre_is "$red"
wait_until "the title names a.jpg" title_is "a.jpg (1/2) — Viewer"
step_to Right "$blue" "b.jpg (2/2) — Viewer"
step_to Right "$red" "a.jpg (1/2) — Viewer"
step_to Left "$blue" "b.jpg (2/2) — Viewer"
quit_viewer

start_viewer numbered
mouse_to 700 300
wait_until "viewer FOLDER shows img1.jpg first" centre_is "$red"
wait_until "the title names img1.jpg" title_is "img1.jpg (1/3) — Viewer"
step_to Right "$green" "img2.jpg (2/3) — Viewer"
step_to Right "$blue" "img10.jpg (3/3) — Viewer"
step_to Right "$red" "img1.jpg (1/3) — Viewer"
quit_viewer

start_viewer missing.jpg cut.jpg c.jpg
wait_until "the title says the cut file is incomplete" \
  title_is "cut.jpg (1/2) — Viewer — incomplete"
grep -qxF "viewer: missing.jpg: no such file (101)" "$work/err.txt" ||
  fail "the missing argument was not reported: $(cat "$work/err.txt")"
mouse_to 700 300
step_to Right "$green" "c.jpg (2/2) — Viewer"
quit_viewer
echo "passed"
