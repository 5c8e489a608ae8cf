#!/bin/sh
# Fails when a C++ file of the tree is not laid out as .clang-format says.
# Fix with: clang-format-14 -i $(git ls-files '*.cpp' '*.h')
set -eu
cd "$(dirname "$0")/.."
git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h' | xargs clang-format-14 --dry-run -Werror
