# Shared by the end-to-end scripts, which source it: a virtual X server and
# the viewer's window, with screenshots and pixel checks from
# screen_checks.sh. Expects $viewer; sets $work (a fresh folder, removed at
# exit), $DISPLAY and $window.

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
source "$(dirname "${BASH_SOURCE[0]}")/screen_checks.sh"

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

# Starts openbox and waits until it manages the screen.
start_window_manager() {
  openbox > "$work/openbox.log" 2>&1 &
  background_pids="$! $background_pids"
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
}

viewable() { xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'; }

# Starts the viewer in the working directory with the given arguments and
# waits for its window to show. Its title is "Viewer" until a file loads,
# then names the file: "a.jpg (1/2) — Viewer".
start_viewer() {
  "$viewer" "$@" > "$work/out.txt" 2> "$work/err.txt" &
  viewer_pid=$!
  window=""
  local deadline=$((SECONDS + 20))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended before showing its window"
    sleep 0.1
    window=$(xdotool search --name '(^| — )Viewer( — |$)' 2>/dev/null | head -n 1) || true
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
