#!/bin/sh
# Rebuilds the sample field in samples/field from the light-curve model.
# Usage: samples/make-sample.sh [build folder]   (default: build)
# The build folder is configured when it does not exist yet.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DOMBRIX_GUI=OFF
fi
cmake --build "$build" --target make_sample_field
out="$root/samples/field"
mkdir -p "$out"
rm -f "$out"/*.txt "$out"/*.ofd "$out"/*.bak
# Run from the repository root: the field's series paths start with samples/field.
cd "$root"
"$build/bin/make_sample_field" "$out" samples/field
echo "Sample field written to $out/sample.ofd"
