# Shared by the end-to-end scripts, which source it: a virtual X server, the
# viewer's window, screenshots and pixel checks. Expects $viewer; sets
# $work (a fresh folder, removed at exit), $DISPLAY and $window.

# A failure leaves the last screenshot here for the reader.
evidence="$PWD/$(basename "$0" .sh)_last.png"
command -v Xvfb >/dev/null || { echo "Xvfb is not installed: skipped"; exit 77; }

work=$(mktemp -d)
background_pids=""
viewer_pid=""
cleanup() {
  for pid in $viewer_pid $background_pids; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  [ -s "$work/shot.ppm" ] && convert "$work/shot.ppm" "$evidence" && echo "last screenshot: $evidence"
  echo "--- viewer stdout:"; cat "$work/out.txt" 2>/dev/null || true
  echo "--- viewer stderr:"; cat "$work/err.txt" 2>/dev/null || true
  exit 1
}

# Repeats a check on fresh screenshots for up to ten seconds, since the
# viewer shows a command's effect on one of its next frames.
wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + 10))
  while [ $SECONDS -lt $deadline ]; do
    screenshot && "$@" && return 0
    sleep 0.1
  done
  fail "$what (last pixel read: ${last:-none})"
}

screenshot() {
  xwd -id "$window" -silent > "$work/shot.xwd" 2>/dev/null || return 1
  convert "xwd:$work/shot.xwd" -depth 8 +set comment "$work/shot.ppm"
  header=$(head -n 3 "$work/shot.ppm" | wc -c)
  width=$(sed -n 2p "$work/shot.ppm" | cut -d' ' -f1)
}

# Client pixel (x, y) of the last screenshot as "r g b", kept in $last.
pixel() {
  last=$(od -An -tu1 -j $((header + ($2 * width + $1) * 3)) -N3 "$work/shot.ppm" | xargs)
}
pixel_is() { pixel "$1" "$2" && [ "$last" = "$3" ]; }
# Every channel within tolerance of the expected "r g b".
pixel_near() {
  local got want
  pixel "$1" "$2"
  read -ra got <<< "$last"
  read -ra want <<< "$3"
  for c in 0 1 2; do
    local d=$((got[c] - want[c]))
    [ ${d#-} -le "$4" ] || return 1
  done
}
region() { convert "$work/shot.ppm" -crop "$3x$4+$1+$2" +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
region_changed() { [ "$(region "$1" "$2" "$3" "$4")" != "$5" ]; }
region_white() { [ "$(region "$1" "$2" "$3" "$4")" = "$(convert -size "$3x$4" xc:white -depth 8 rgb:- | md5sum | cut -d' ' -f1)" ]; }
region_not_white() { ! region_white "$@"; }
mouse_to() { xdotool mousemove --window "$window" -- "$1" "$2"; }

start_x_server() {
  exec 3> "$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
  background_pids="$! $background_pids"
  exec 3>&-
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$work/display")"
  # Under the sanitizers, leaks of the system libraries below SDL are not ours.
  export LSAN_OPTIONS="suppressions=$(dirname "$(realpath "${BASH_SOURCE[0]}")")/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
}

viewable() { xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'; }

# Starts the viewer in the working directory with the given arguments and
# waits for its window to show.
start_viewer() {
  "$viewer" "$@" > "$work/out.txt" 2> "$work/err.txt" &
  viewer_pid=$!
  window=""
  local deadline=$((SECONDS + 20))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended before showing its window"
    sleep 0.1
    window=$(xdotool search --name '^Viewer$' 2>/dev/null | head -n 1) || true
  done
  [ -n "$window" ] || fail "no window titled Viewer"
  while ! viewable && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
  viewable || fail "the window titled Viewer is not shown"
}

# Escape ends the viewer with exit code 0.
quit_viewer() {
  xdotool key Escape
  for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$viewer_pid" 2>/dev/null && fail "Escape did not end the viewer"
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=""
  [ "$status" -eq 0 ] || fail "exit code $status"
}
