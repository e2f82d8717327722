#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time (default 60 s,
# VIEWER_FUZZ_SECONDS to change) on the seed corpus plus the minimised
# findings of tests/data/regression. Any crash, sanitizer report, timeout or
# memory blow-up stops the run with a non-zero status; the input that caused
# it is kept under build/fuzz-artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${VIEWER_FUZZ_SECONDS:-60}"

VIEWER_FUZZ_DEPS=1 scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_decode fuzz_bmp fuzz_view fuzz_input

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
artifacts="$PWD/build/fuzz-artifacts"
mkdir -p "$artifacts"
# The camera-file seeds come from a test program of the default build,
# which CI has built before this script runs.
cmake --preset default >/dev/null
cmake --build --preset default --target write_camera_files
VIEWER_CAMERA_FILES="$PWD/build/default/tests/write_camera_files" fuzz/make-corpus.sh "$work/seeds"

for target in decode bmp view input; do
  echo "== fuzz_$target for ${seconds} s"
  mkdir -p "$work/found-$target"
  # The first folder receives what the run finds; the others are only read.
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
    "$work/found-$target" "$work/seeds/$target" "tests/data/regression/$target"
done
