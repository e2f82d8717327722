#!/usr/bin/env bash
# The Windows viewer under Wine, started in a folder holding the sample and
# a BMP file: F1 opens the open dialog as a window owned by the viewer's
# (transient for it); browsing the dialog into a subfolder and cancelling
# leaves the working directory where it was, so that Right goes on from
# small.jpg in the start folder and loads the BMP file, not the subfolder's
# JPEG file; Escape then ends the viewer with exit code 0.
# Usage: dialog_cancel.sh VIEWER.EXE CONSOLE-TEXT.EXE SMALL_JPG. Needs
# $DISPLAY and a booted $WINEPREFIX (scripts/test-windows.sh); exit code 77
# without.
set -euo pipefail

[ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || { echo "no X display or Wine prefix: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
viewer=$(realpath "$1")
console_text=$(realpath "$2")
sample=$(realpath "$3")

work=$(mktemp -d)
viewer_pid=""
cleanup() {
  stop_viewer
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }
source "$(dirname "$0")/wine_viewer.sh"

# Waits up to 20 s for a line matching $1 in the viewer's console.
console_shows() {
  local deadline=$((SECONDS + 20))
  until "$wine" "$console_text" viewer.exe 2>/dev/null | grep -Eq "$1"; do
    [ $SECONDS -lt $deadline ] || fail "no line '$1' in the console: $("$wine" "$console_text" viewer.exe 2>&1 | grep -v '^ *$')"
    sleep 0.5
  done
}

cd "$work"
mkdir other
cp "$sample" small.jpg
cp "$sample" other/c.jpg
convert -size 8x8 xc:red -type truecolor BMP3:z.bmp
start_viewer
console_shows "^ JPG load time"

xdotool key --window "$window" F1 2>/dev/null
dialog=$(window_named '^Load JPG or BMP Image')
[ -n "$dialog" ] || fail "F1 showed no open dialog"
owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
[ -n "$owner" ] && [ $((owner)) -eq "$window" ] || fail "the dialog is not owned by the viewer's window ($owner)"
xdotool type --window "$dialog" other 2>/dev/null
xdotool key --window "$dialog" Return 2>/dev/null
sleep 1
xdotool key --window "$dialog" Escape 2>/dev/null
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Load JPG or BMP Image' > /dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name '^Load JPG or BMP Image' > /dev/null 2>&1 && fail "Escape did not cancel the dialog"

xdotool key --window "$window" Right 2>/dev/null
console_shows "^ BMP load time"
key_ends_viewer "$window" Escape
echo "passed"
