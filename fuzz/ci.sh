#!/bin/sh
# CI's fuzz step: builds the libFuzzer targets with clang (ASan and UBSan) and
# runs each for FUZZ_SECONDS (default 45), one target per core, so the eight
# targets take about three minutes plus the build. Fails when a target crashes
# or breaks an invariant; the input is kept under build-fuzz/crashes/<target>/
# and printed in the log.
set -eu
cd "$(dirname "$0")/.."
if ! command -v clang++-14 >/dev/null 2>&1; then
  echo "clang++-14 not found: install clang-14 and libclang-rt-14-dev" >&2
  exit 1
fi
FUZZ_SECONDS="${FUZZ_SECONDS:-45}" FUZZ_BUILD_DIR="${FUZZ_BUILD_DIR:-$(pwd)/build-fuzz}" exec ./fuzz/run_all.sh
