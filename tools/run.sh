#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake -S . -B build -G Ninja -DOMBRIX_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/bin/ombrix ]; then
  exec build/bin/ombrix "$@"
fi
echo "The program ombrix is not built yet: the libraries are, run the tests with tools/test.sh."
