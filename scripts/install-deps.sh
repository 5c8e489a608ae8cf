#!/bin/sh
# Installs the Debian packages the build and the tests need, only when missing.
# Runs as root, or through sudo when not root.
set -eu

PACKAGES="build-essential cmake pkg-config git
libcurl4-openssl-dev libboost-regex-dev libssl-dev libcpp-httplib-dev nlohmann-json3-dev
googletest libgtest-dev libgmock-dev libbenchmark-dev
qt6-base-dev qt6-base-dev-tools libgl-dev
fp-utils xvfb xauth curl dpkg-dev
clang-14 libclang-rt-14-dev clang-format-14"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
else
  SUDO="sudo"
fi
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
