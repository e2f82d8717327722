#!/usr/bin/env bash
# What a user meets when something goes wrong, under Xvfb: without a
# display the viewer says so on standard error and exits with 1; with no
# small.jpg in the working directory the installed sample shows in the
# start-up square; under openbox, a FILE that does not load, started with no
# terminal, gets a box that says why (a stand-in zenity, first on PATH,
# records its arguments), then the open dialog, behind which the window is
# cleared; output into a pipe whose reader has gone does not kill the
# viewer; a terminal gets its title back at exit, and output that is no
# terminal gets no title.
# Usage: failures_e2e.sh VIEWER SMALL_JPG. Exit code 77: Xvfb or openbox is
# missing.
set -euo pipefail

real_viewer=$(realpath "$1")
sample=$(realpath "$2")
command -v openbox >/dev/null || { echo "openbox is not installed: skipped"; exit 77; }
viewer=$real_viewer
source "$(dirname "$0")/x_session.sh"

mkdir "$work/bin" "$work/start"
cp "$sample" "$work/start/x.jpg"
echo "no picture" > "$work/start/notes.jpg"

# The stand-in records its arguments, one a line; a file selection waits
# for the release file (30 s at most), then is cancelled.
cat > "$work/bin/zenity" <<'STANDIN'
#!/bin/sh
for argument in "$@"; do printf '%s\n' "$argument"; done >> "$ZENITY_LOG"
echo "--" >> "$ZENITY_LOG"
if [ "$1" = "--file-selection" ]; then
  for _ in $(seq 300); do [ -e "$ZENITY_RELEASE" ] && break; sleep 0.1; done
  exit 1
fi
exit 0
STANDIN
chmod +x "$work/bin/zenity"
export PATH="$work/bin:$PATH" ZENITY_LOG="$work/zenity.log" ZENITY_RELEASE="$work/release"

# No display: a message and exit code 1 straight away. The timeout only
# stops a viewer that would run on unseen.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 20 "$viewer" "$work/start/x.jpg" \
  > "$work/out.txt" 2> "$work/err.txt" || status=$?
[ "$status" -eq 1 ] || fail "without a display the exit code is $status, not 1"
grep -q "^viewer: cannot open display: ." "$work/err.txt" || fail "without a display it does not say so"

start_x_server

# The installed layout, <prefix>/bin/viewer and <prefix>/share/viewer/small.jpg,
# started where there is no small.jpg.
mkdir -p "$work/prefix/bin" "$work/prefix/share/viewer"
cp "$real_viewer" "$work/prefix/bin/viewer"
cp "$sample" "$work/prefix/share/viewer/small.jpg"
viewer="$work/prefix/bin/viewer"
cd "$work/start"
start_viewer
wait_until "the installed sample in the start-up square" pixel_is 604 96 "0 0 250"
check_startup_square 620
quit_viewer
grep -q $'\033' "$work/out.txt" && fail "output that is no terminal got escape sequences"

openbox > "$work/openbox.log" 2>&1 &
background_pids="$! $background_pids"
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

# No terminal: a session of its own, standard input from nowhere.
cat > "$work/bin/viewer-no-terminal" <<STARTER
#!/bin/sh
exec setsid "$real_viewer" "\$@" < /dev/null
STARTER
chmod +x "$work/bin/viewer-no-terminal"
viewer="$work/bin/viewer-no-terminal"
: > "$ZENITY_LOG"
start_viewer notes.jpg
zenity_asked() { grep -qxF -- "$1" "$ZENITY_LOG"; }
wait_until "the open dialog after the box" zenity_asked "--file-selection"
zenity_asked "--error" || fail "no box about notes.jpg"
zenity_asked "--title=Load error." || fail "the box is not titled Load error."
grep -qF "notes.jpg: not a JPEG file" "$ZENITY_LOG" || fail "the box does not say why: $(cat "$ZENITY_LOG")"
[ "$(grep -nxF -- --error "$ZENITY_LOG" | cut -d: -f1)" -lt "$(grep -nxF -- --file-selection "$ZENITY_LOG" | cut -d: -f1)" ] ||
  fail "the dialog came before the box"
grep -qF "viewer: notes.jpg: not a JPEG file" "$work/err.txt" || fail "standard error does not say why"
wait_until "the window is cleared behind the start-up dialog" region_white 0 0 700 580
touch "$ZENITY_RELEASE"
wait_until "the viewer runs once the dialog is cancelled" pixel_is 604 96 "0 0 250"
quit_viewer

# The reader of standard output is gone before the viewer writes its load
# time there.
mkfifo "$work/pipe"
cat > "$work/bin/viewer-into-pipe" <<STARTER
#!/bin/sh
exec "$real_viewer" "\$@" > "$work/pipe"
STARTER
chmod +x "$work/bin/viewer-into-pipe"
head -c0 < "$work/pipe" &
viewer="$work/bin/viewer-into-pipe"
start_viewer x.jpg
quit_viewer

# A terminal, through script(1): Viewer as its title while the viewer runs,
# its own title back at the end.
if command -v script >/dev/null; then
  cat > "$work/bin/viewer-in-terminal" <<STARTER
#!/bin/sh
exec script -qec "'$real_viewer' x.jpg" "$work/typescript" < /dev/null
STARTER
  chmod +x "$work/bin/viewer-in-terminal"
  viewer="$work/bin/viewer-in-terminal"
  start_viewer
  quit_viewer
  grep -qF $'\033[22;0t\033]0;Viewer\007' "$work/typescript" || fail "the terminal's title is not kept, then set"
  tail -c 200 "$work/typescript" | grep -qF $'\033[23;0t' || fail "the terminal's title is not given back at exit"
fi
echo "passed"
