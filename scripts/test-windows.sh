#!/usr/bin/env bash
# Cross-builds the Windows version with mingw-w64 (preset "windows") and
# runs its tests under Wine: the unit tests, viewer-decode.exe against the
# native viewer-decode on the golden files, the two-thread decode stress on
# files the native writer makes, and the viewer end to end. All
# of them share one virtual X server and one fresh Wine prefix, made here
# and removed at the end. The native viewer-decode and write_stress_files
# are built when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
VIEWER_WINDOWS_DEPS=1 scripts/install-deps.sh
cmake --preset default > /dev/null
cmake --build --preset default --target viewer-decode write_stress_files
cmake --preset windows > /dev/null
cmake --build --preset windows

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEARCH=win64
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  "$(dirname "$wine")/wineserver" -k 2> /dev/null || wineserver -k 2> /dev/null || true
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2> /dev/null; wait "$xvfb_pid" 2> /dev/null; }
  rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT

exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

# The prefix is made once, before the tests, which then start quickly.
"$wine" wineboot --init > /dev/null 2>&1
"$(dirname "$wine")/wineserver" -w 2> /dev/null || true
ctest --preset windows -j"$(nproc)"
