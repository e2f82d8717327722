#!/usr/bin/env bash
# Builds the way packagers and most users do, without the presets: a plain
# Release configuration (no -Werror), with the compiler given (default
# c++; CI also uses clang++), in build/plain-COMPILER. Fails on any
# compiler warning all the same, so that such a build stays clean.
set -euo pipefail
cd "$(dirname "$0")/.."
compiler="${1:-c++}"
dir="build/plain-$compiler"
scripts/install-deps.sh
CXX="$compiler" cmake -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j"$(nproc)" 2>&1 | tee "$dir/build.log"
if grep -q "warning:" "$dir/build.log"; then
  echo "the plain $compiler build warns"
  exit 1
fi
