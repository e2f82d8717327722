#!/usr/bin/env bash
# The list the Windows viewer walks, under Wine: `viewer.exe a.jpg b.jpg`
# is titled after a.jpg, then Right goes to b.jpg and on to a.jpg again,
# not to the folder's c.jpg; `viewer.exe FOLDER` goes through img1.jpg,
# img2.jpg and img10.jpg in natural order; each title names the file and
# its place ("img2.jpg (2/3) — Viewer"); a missing argument is reported in
# the viewer's console and the others still open.
# Usage: walk_e2e.sh VIEWER.EXE CONSOLE-TEXT.EXE. Needs $DISPLAY and a
# booted $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")
console_text=$(realpath "$2")
evidence="$PWD/windows_walk_e2e_last.png"

cd "$work"
mkdir numbered
for name in a.jpg b.jpg c.jpg numbered/img1.jpg numbered/img2.jpg numbered/img10.jpg; do
  convert -size 64x48 xc:gray "$name"
done

# Waits up to 30 s for the main window's title to be $1.
title_becomes() {
  local deadline=$((SECONDS + 30)) title=""
  while [ $SECONDS -lt $deadline ]; do
    title=$(xdotool getwindowname "$window" 2>/dev/null) || true
    [ "$title" = "$1" ] && return 0
    sleep 0.2
  done
  fail "title \"$title\", not \"$1\""
}
walk() {
  for step in "$@"; do
    IFS=: read -r key title <<< "$step"
    xdotool key --window "$window" "$key" 2>/dev/null
    title_becomes "$title"
  done
}

start_viewer missing.jpg a.jpg b.jpg
title_becomes "a.jpg (1/2) — Viewer"
walk "Right:b.jpg (2/2) — Viewer" "Right:a.jpg (1/2) — Viewer" "Left:b.jpg (2/2) — Viewer"
"$wine" "$console_text" viewer.exe > console.txt 2>/dev/null || fail "the viewer's console cannot be read"
grep -q "missing.jpg: no such file (101)" console.txt || fail "no reason for missing.jpg in the console: $(cat console.txt)"
key_ends_viewer "$window" Escape

start_viewer numbered
title_becomes "img1.jpg (1/3) — Viewer"
walk "Right:img2.jpg (2/3) — Viewer" "Right:img10.jpg (3/3) — Viewer" "Right:img1.jpg (1/3) — Viewer"
key_ends_viewer "$window" Escape
echo "passed"
