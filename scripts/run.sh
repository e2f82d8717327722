#!/usr/bin/env bash
# Installs what is missing, builds the optimised viewer and starts it in the
# folder of the bundled sample, so it opens small.jpg.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
cd samples && exec ../build/default/platform/viewer "$@"
