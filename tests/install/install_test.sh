#!/usr/bin/env bash
# Installs the build into a fresh prefix, as `cmake --install build --prefix
# ~/.local` does, and checks what a desktop needs: the programs, a desktop
# entry that desktop-file-validate accepts and that opens JPEG and BMP files
# with the viewer, its icon, and the sample.
# Usage: install_test.sh BUILD_DIR. Exit code 77: desktop-file-validate is missing.
set -euo pipefail

build=$(realpath "$1")
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed: skipped"; exit 77; }
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" || fail "cmake --install: $(cat "$prefix/install.log")"
for file in bin/viewer bin/viewer-decode bin/viewer-frame share/applications/viewer.desktop \
  share/icons/hicolor/scalable/apps/viewer.svg share/viewer/small.jpg; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
entry="$prefix/share/applications/viewer.desktop"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
grep -qx 'Exec=viewer %f' "$entry" || fail "the entry does not run viewer on the file"
grep -qx 'MimeType=image/jpeg;image/bmp;' "$entry" || fail "the entry does not offer JPEG and BMP files"
grep -qx 'Icon=viewer' "$entry" || fail "the entry does not name the installed icon"
"$prefix/bin/viewer" --version | grep -q '^viewer [0-9]' || fail "the installed viewer does not run"
"$prefix/bin/viewer-decode" --upright "$prefix/share/viewer/small.jpg" > /dev/null || fail "the installed viewer-decode cannot read the sample"
echo "passed"
