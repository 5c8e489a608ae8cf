#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh -DQINGHE_BUILD_TESTS=ON "$@"
BUILD_DIR="${BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure --no-tests=error -j"$(nproc)"
