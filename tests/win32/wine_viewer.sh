# Shared by the Windows end-to-end scripts, which source it first thing:
# viewer.exe started under Wine, and its windows found on the X display.
# Skips the script (exit code 77) without an X display or a booted Wine
# prefix (scripts/test-windows.sh sets both up). Gives it $wine, a $work
# folder removed at exit with any viewer still running, and fail, which
# keeps the last screenshot as $evidence where the script names one.
# Expects $viewer; keeps the viewer's process in $viewer_pid.

[ -n "${DISPLAY:-}" ] && [ -n "${WINEPREFIX:-}" ] || { echo "no X display or Wine prefix: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
work=$(mktemp -d)
viewer_pid=""
trap 'stop_viewer; rm -rf "$work"' EXIT

fail() {
  echo "FAILED: $*"
  [ -n "${evidence:-}" ] && [ -s "$work/shot.ppm" ] && convert "$work/shot.ppm" "$evidence" &&
    echo "last screenshot: $evidence"
  exit 1
}

source "$(dirname "${BASH_SOURCE[0]}")/../e2e/screen_checks.sh"

# The console is titled Viewer too; the main window is the one of viewer.exe,
# titled Viewer until a file loads and then after the file: "a.jpg (1/2) — Viewer".
main_window() {
  local w
  for w in $(xdotool search --classname '^viewer\.exe$' 2>/dev/null); do
    case "$(xdotool getwindowname "$w" 2>/dev/null)" in
      Viewer | *" — Viewer" | *" — Viewer — "*) echo "$w" && return ;;
    esac
  done
  true
}

# A screenshot of the main window raised first: in a fresh prefix the
# console can open late, over it.
viewer_screenshot() {
  xdotool windowraise "$window" 2>/dev/null && screenshot
}

# The first visible window whose name matches $1, waited for up to $2
# seconds (30 when not given); empty when none came.
window_named() {
  local found="" deadline=$((SECONDS + ${2:-30}))
  while [ -z "$found" ] && [ $SECONDS -lt $deadline ]; do
    sleep 0.2
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
  done
  echo "$found"
}

# True once no visible window's name matches $1, waited for up to 10 s.
window_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# True when window $1 is owned by the main window (transient for it).
owned_by_viewer() {
  local owner
  owner=$(xprop -id "$1" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)
  [ -n "$owner" ] && [ $((owner)) -eq "$window" ]
}

# Starts the viewer with arguments "$@" and sets $viewer_pid and $window.
# Its standard handles lead nowhere, as when a desktop starts it, so that
# what it writes to standard error goes to its console.
start_viewer() {
  "$wine" "$viewer" "$@" > /dev/null 2>&1 &
  viewer_pid=$!
  window=""
  local deadline=$((SECONDS + 60))
  while [ -z "$window" ] && [ $SECONDS -lt $deadline ]; do
    kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer ended before showing its window"
    sleep 0.2
    window=$(main_window)
  done
  [ -n "$window" ] || fail "no window titled Viewer"
}

# A key ($2) sent to a window of the viewer's ($1) ends it with exit code 0.
key_ends_viewer() {
  xdotool key --window "$1" "$2" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$viewer_pid" 2>/dev/null && fail "$2 did not end the viewer"
  local status=0
  wait "$viewer_pid" || status=$?
  viewer_pid=""
  [ "$status" -eq 0 ] || fail "exit code $status"
}

# For the scripts' exit trap: a viewer still running is ended.
stop_viewer() {
  [ -z "$viewer_pid" ] || { kill "$viewer_pid" 2>/dev/null; wait "$viewer_pid" 2>/dev/null; } || true
}
