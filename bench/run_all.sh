#!/bin/sh
# Runs every benchmark of a build, one after another, and keeps the output.
#
#   BUILD_DIR   build folder with the benchmarks (default: build)
#   RESULTS     folder for the outputs (default: $BUILD_DIR/bench-results)
#
# Run it on an otherwise idle machine: the figures in bench/README.md come
# from one such run.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
results=${RESULTS:-$build/bench-results}
mkdir -p "$results"
cmake --build "$build" -j"$(nproc)" --target text_bench harvest_bench package_export_bench composite_file_bench \
  package_rows_bench shop_bench
for bench in text_bench harvest_bench package_export_bench composite_file_bench package_rows_bench \
  shop_bench; do
  echo "== $bench"
  "$build/bench/$bench" --benchmark_counters_tabular=true | tee "$results/$bench.txt"
done
echo "outputs in $results"
