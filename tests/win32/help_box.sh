#!/usr/bin/env bash
# viewer.exe --help with standard output going nowhere a Windows program
# can write (a character device, as a console-less start leaves it) shows
# the help in a message box titled Viewer; a key closes it and the viewer
# ends with exit code 0.
# Usage: help_box.sh VIEWER.EXE. Needs $DISPLAY and a booted $WINEPREFIX
# (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")

"$wine" "$viewer" --help > /dev/null 2>&1 &
viewer_pid=$!
box=$(window_named '^Viewer$')
[ -n "$box" ] || fail "no box titled Viewer"
sleep 1
kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended while its box was up"

key_ends_viewer "$box" Return
echo "passed"
