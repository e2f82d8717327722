#!/usr/bin/env bash
# Installs what is missing, builds with the given preset (default: "default")
# and runs its tests: every test, except under tsan, whose presets build and
# run only the thread and golden tests.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j"$(nproc)"
