#!/usr/bin/env bash
# base/ is the lowest layer: a file compiled as base/'s are, with its
# include root alone, finds its own headers and no header of jpeg/ or app/.
# Usage: base_layer.sh COMPILER LAYERS_DIR
set -euo pipefail
compiler=$1
layers=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

compiles() {
  printf '#include "%s"\n' "$1" > "$work/probe.cpp"
  "$compiler" -std=c++20 -fsyntax-only -I "$layers/base" "$work/probe.cpp" 2> "$work/errors.txt"
}

compiles base/parallel.h || { cat "$work/errors.txt"; echo "FAILED: base/ does not see its own header"; exit 1; }
for higher in jpeg/output/picture.h app/interaction.h idct/tidct.h render/geometry.h; do
  if compiles "$higher"; then
    echo "FAILED: base/ sees $higher"
    exit 1
  fi
  grep -q "$higher" "$work/errors.txt" || { cat "$work/errors.txt"; echo "FAILED: $higher failed otherwise"; exit 1; }
done
echo "passed"
