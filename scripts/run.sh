#!/bin/sh
# Installs what is missing, builds, and starts the desktop program where a
# display exists; otherwise runs the headless runner on the bundled demo shop.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh -DQINGHE_BUILD_TESTS=OFF -DQINGHE_BUILD_BENCH=OFF
BUILD_DIR="${BUILD_DIR:-build}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$BUILD_DIR/src/app/qinghe-taotu" ]; then
  exec "$BUILD_DIR/src/app/qinghe-taotu"
fi
mkdir -p demo-output
exec "$BUILD_DIR/src/cli/qinghe-taotu-cli" --demo --save "$(pwd)/demo-output"
