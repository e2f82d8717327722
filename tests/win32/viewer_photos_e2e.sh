#!/usr/bin/env bash
# The Windows viewer under Wine on camera-sized photographs, which it
# decodes on two threads: started with a 4000 x 3000 baseline JPEG on its
# command line, it shows the picture fitted to the window; Right loads
# the folder's next file, a progressive one, which it shows and whose load
# time it writes; Escape ends it with exit code 0. Repeated ROUNDS times
# (default 10), each step under a deadline: a step that does not happen in
# time counts as a hang, and any hang or wrong frame fails the test.
# Usage: viewer_photos_e2e.sh VIEWER.EXE CONSOLE-TEXT.EXE WRITE_STRESS_FILES [ROUNDS]
# (WRITE_STRESS_FILES native, from a native build). Needs $DISPLAY and a
# booted $WINEPREFIX (scripts/test-windows.sh); exit code 77 without them.
set -euo pipefail

source "$(dirname "$0")/wine_viewer.sh"
[ -x "$3" ] || { echo "no native $3: skipped"; exit 77; }
viewer=$(realpath "$1")
console_text=$(realpath "$2")
rounds=${4:-10}
evidence="$PWD/windows_photos_e2e_last.png"

"$3" --large "$work" > /dev/null || fail "the photographs could not be written"
cd "$work"
first=photo1_baseline.jpg

load_lines() { "$wine" "$console_text" viewer.exe 2>/dev/null | grep -Ec "^ JPG load time = [0-9]+ ms" || true; }
# Inside the fitted picture, neither the white background nor a black,
# empty picture.
picture_shown() {
  local p
  for p in "350 350" "200 500" "500 200"; do
    pixel $p
    [ "$last" != "255 255 255" ] && [ "$last" != "0 0 0" ] || return 1
  done
}
# Runs a check until it holds, for at most $1 seconds: 1 when it never does.
within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}
window_found() { kill -0 "$viewer_pid" 2>/dev/null && window=$(main_window) && [ -n "$window" ]; }
first_shown() { viewer_screenshot && picture_shown && [ "$(load_lines)" -eq 1 ]; }
next_shown() {
  [ "$(load_lines)" -eq 2 ] && viewer_screenshot && picture_shown && region_changed 110 110 480 480 "$first_region"
}
viewer_ended() { ! kill -0 "$viewer_pid" 2>/dev/null; }

# One round; $stuck names the step that did not happen in time, if one did.
round() {
  stuck=""
  "$wine" "$viewer" "$first" > out.txt 2> err.txt &
  viewer_pid=$!
  within 60 window_found || { stuck="window"; return; }
  within 60 first_shown || { stuck="first photograph shown"; return; }
  first_region=$(region 110 110 480 480)
  xdotool key --window "$window" Right 2>/dev/null
  within 60 next_shown || { stuck="next photograph shown after Right"; return; }
  xdotool key --window "$window" Escape 2>/dev/null
  within 20 viewer_ended || { stuck="end after Escape"; return; }
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=""
  [ "$status" -eq 0 ] || fail "exit code $status"
}

hangs=0
for n in $(seq "$rounds"); do
  round
  if [ -n "$stuck" ]; then
    hangs=$((hangs + 1))
    echo "round $n: timed out waiting for: $stuck"
    [ -s "$work/shot.ppm" ] && convert "$work/shot.ppm" "$evidence"
    stop_viewer
  fi
done
echo "$rounds rounds, $hangs hung"
[ "$hangs" -eq 0 ] || fail "$hangs of $rounds rounds hung (last screenshot: $evidence)"
echo "passed"
