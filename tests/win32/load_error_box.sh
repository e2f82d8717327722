#!/usr/bin/env bash
# The Windows viewer under Wine, started with no console and no redirected
# output on a FILE that does not load: a load-error box comes up, owned by
# the viewer's window, and the reason is in the viewer's console; Return
# closes the box, after which the open dialog asks for a file; Escape
# cancels it, and Escape ends the viewer with exit code 0.
# Usage: load_error_box.sh VIEWER.EXE CONSOLE-TEXT.EXE. Needs $DISPLAY and a
# booted $WINEPREFIX (scripts/test-windows.sh); exit code 77 without.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
viewer=$(realpath "$1")
console_text=$(realpath "$2")

cd "$work"
echo "no picture" > notes.jpg
# Character devices, as a start from a desktop leaves the standard handles.
"$wine" "$viewer" notes.jpg > /dev/null 2>&1 &
viewer_pid=$!

box=$(window_named '^Load error\.$' 60)
[ -n "$box" ] || fail "no load-error box for notes.jpg"
window=$(main_window)
owned_by_viewer "$box" || fail "the load-error box is not owned by the viewer's window"
# Long lines wrap in the console: its rows are read as one text.
"$wine" "$console_text" viewer.exe > console.txt 2>/dev/null || fail "the viewer's console cannot be read"
tr -d ' \r\n' < console.txt | grep -qF "notes.jpg:notaJPEGfile" || fail "the console does not say why: $(cat console.txt)"

xdotool key --window "$box" Return 2>/dev/null
window_gone '^Load error\.$' || fail "Return did not close the load-error box"
dialog=$(window_named '^Load JPG or BMP Image')
[ -n "$dialog" ] || fail "no open dialog after the box"
xdotool key --window "$dialog" Escape 2>/dev/null
window_gone '^Load JPG or BMP Image' || fail "Escape did not cancel the dialog"
key_ends_viewer "$window" Escape
echo "passed"
