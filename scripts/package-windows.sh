#!/usr/bin/env bash
# Makes build/windows/viewer-windows.zip: viewer.exe, viewer-decode.exe and
# viewer-frame.exe (statically linked, stripped), the sample picture beside
# the viewer so that it opens at once, and a short README. Unzip anywhere
# on 64-bit Windows and run viewer.exe; nothing needs installing.
set -euo pipefail
cd "$(dirname "$0")/.."
VIEWER_WINDOWS_DEPS=1 scripts/install-deps.sh
cmake --preset windows > /dev/null
cmake --build --preset windows --target viewer viewer-decode viewer-frame

build=build/windows
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
folder="$stage/viewer"
mkdir "$folder"
for program in platform/win32/viewer tools/viewer-decode tools/viewer-frame; do
  x86_64-w64-mingw32-strip -o "$folder/$(basename "$program").exe" "$build/$program.exe"
done
cp samples/small.jpg "$folder"
# Windows line ends, so that Notepad shows the lines of any Windows version.
sed 's/$/\r/' > "$folder/README.txt" <<'TEXT'
Viewer for 64-bit Windows

viewer.exe      the viewer. Started from this folder it shows small.jpg;
                F1 opens another JPEG or 24-bit BMP file, and a file
                dropped on the window opens too. A console window beside
                it shows the load time of every file. Keys: 1 help text,
                B filter, D inverse DCT, S next embedded image, R colour
                under the pointer, F frame rate, Escape quits. Drag the
                corners or the picture; the wheel rotates, Ctrl+wheel zooms.
viewer-decode.exe  decodes a file and writes it as PPM: run it in a command
                prompt without arguments for its options.
viewer-frame.exe   composes one viewer frame without a window, as PPM.

Nothing needs installing: the programs carry their own runtime.
TEXT
rm -f "$build/viewer-windows.zip"
(cd "$stage" && zip -qr - viewer) > "$build/viewer-windows.zip"
unzip -l "$build/viewer-windows.zip"
