#!/usr/bin/env bash
# Installs what is missing, builds the optimised viewer and starts it: on
# the files given, from the folder this was started in, or else in the
# folder of the bundled sample, so it opens small.jpg.
set -euo pipefail
here="$PWD"
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
[ $# -eq 0 ] && cd samples || cd "$here"
exec "$root/build/default/platform/viewer" "$@"
