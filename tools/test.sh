#!/usr/bin/env bash
# Builds everything and runs all tests:
#   1. the full build (GUI included) with its CTest suite, run once in the C
#      locale and once in a decimal-comma locale (de_DE.UTF-8);
#   2. the numeric libraries built with clang, with their tests;
#   3. the libraries without GUI under AddressSanitizer and UBSan;
#   4. every fuzz target for a bounded time (OMBRIX_FUZZ_SECONDS, default 30).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
jobs=$(nproc)
fuzz_seconds=${OMBRIX_FUZZ_SECONDS:-30}

echo "== build and test"
cmake -S . -B build -G Ninja -DOMBRIX_TESTS=ON -DOMBRIX_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
LC_ALL=C ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== the same tests in a decimal-comma locale"
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== numeric libraries built with clang"
numeric="runbase corekit mpfit ombrix_model ombrix_field ombrix_analysis"
cmake -S . -B build-clang -G Ninja -DOMBRIX_TESTS=ON -DOMBRIX_GUI=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-clang -j "$jobs" --target $(printf '%s_tests ' $numeric)
ctest --test-dir build-clang --output-on-failure -j "$jobs" --timeout 300 \
      -L "^($(echo $numeric | tr ' ' '|'))\$"

echo "== sanitizer build and test (libraries without GUI)"
cmake -S . -B build-asan -G Ninja -DOMBRIX_TESTS=ON -DOMBRIX_GUI=OFF -DOMBRIX_SANITIZE=ON \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 600

echo "== fuzz targets (${fuzz_seconds}s each)"
cmake -S . -B build-fuzz -G Ninja -DOMBRIX_FUZZ=ON -DOMBRIX_TESTS=OFF -DOMBRIX_GUI=OFF \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$jobs"
shopt -s nullglob
for fuzzer in build-fuzz/bin/fuzz_*; do
  name=$(basename "$fuzzer")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  for seed_dir in */fuzz/corpus/"${name#fuzz_}"; do seeds+=("$seed_dir"); done
  echo "-- $name"
  "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 "$corpus" "${seeds[@]}" 2>"build-fuzz/$name.log" \
    || { tail -n 60 "build-fuzz/$name.log"; echo "$name failed"; exit 1; }
  grep -E 'stat::number_of_executed_units' "build-fuzz/$name.log" || true
done
echo "all tests passed"
