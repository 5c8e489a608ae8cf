#!/bin/sh
# The core links no Qt and includes only headers of its own layer or below:
# app, cli -> engine -> harvest -> package -> (engine's window interface) -> base; shop -> base.
set -eu
cd "$(dirname "$0")/.."
fail=0

check() {
  folder="$1"; shift
  for file in $(find "src/$folder" -name '*.h' -o -name '*.cpp' 2>/dev/null); do
    if grep -nE '#include *<Q|#include *<qt|#include *"Q' "$file"; then
      echo "$file: Qt header in the core"; fail=1
    fi
    for banned in "$@"; do
      if grep -nE "#include *\"$banned/" "$file"; then
        echo "$file: includes a header of the layer $banned above it"; fail=1
      fi
    done
  done
}

# The window interface of src/engine that the lower layers may use.
window_ok='engine/(main_window|window_thread|job_options|batch_job)\.h'

check base engine harvest package shop app cli
check engine app cli shop
check harvest app cli shop
check package app cli shop harvest
check shop app cli engine harvest package
for folder in harvest package; do
  for file in $(find "src/$folder" -name '*.h' -o -name '*.cpp'); do
    grep -nE '#include *"engine/' "$file" | grep -vE "$window_ok" && { echo "$file: engine header beyond the window interface"; fail=1; } || true
  done
done

exit $fail
