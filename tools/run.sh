#!/usr/bin/env bash
# Builds the program and starts it. On a first start (no settings yet) the
# sample field of samples/field is offered as the first recent file, so
# "Field > 1 ..." opens it at once; its series paths are relative to the
# repository, which becomes the root folder (Field > Define Root Directory...).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake -S . -B build -G Ninja -DOMBRIX_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"

config="${XDG_CONFIG_HOME:-$HOME/.config}/OMBRIX"
sample="$top/samples/field/sample.ofd"
if [ -f "$sample" ] && [ ! -e "$config/ombrix.ini" ] && [ ! -e "$config/registry.ini" ]; then
  mkdir -p "$config"
  printf '[OMBRIX]\nRootPath = %s/\n[MRUfiles]\n0 = %s\n' "$top" "$sample" > "$config/ombrix.ini"
fi

if [ -x build/bin/ombrix ]; then
  exec build/bin/ombrix "$@"
fi
echo "The program ombrix is not built yet: the libraries are, run the tests with tools/test.sh."
