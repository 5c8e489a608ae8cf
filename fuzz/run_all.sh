#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time.
#
#   FUZZ_SECONDS   seconds per target (default 60)
#   FUZZ_TARGETS   space-separated target names (default: every *_fuzz.cpp)
#   FUZZ_BUILD_DIR build folder (default: build-fuzz in the source root)
#   FUZZ_CXX       compiler (default: clang++-14)
#   FUZZ_JOBS      build jobs (default: nproc)
#   FUZZ_PARALLEL  targets run at once (default: nproc)
#
# Exits 1 when a target crashes, leaks, times out or breaks an invariant; the
# input that did it is kept in $FUZZ_BUILD_DIR/crashes/<target>/. Copy it to
# fuzz/regressions/<target>/ once the fault is mended: the fuzz_replay_* tests
# of the main build replay that folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
cxx=${FUZZ_CXX:-clang++-14}
jobs=${FUZZ_JOBS:-$(nproc)}

cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs"

if [ -n "${FUZZ_TARGETS:-}" ]; then
  targets=$FUZZ_TARGETS
else
  targets=$(cd "$here" && ls *_fuzz.cpp | sed 's/\.cpp$//')
fi

dictionary_of() {
  case "$1" in
    item_page_fuzz|listing_fields_fuzz|sale_properties_fuzz) echo "$here/dicts/page.dict" ;;
    package_scan_fuzz) echo "$here/dicts/package.dict" ;;
    embedded_data_fuzz) echo "$here/dicts/embedded.dict" ;;
    *) echo "$here/dicts/text.dict" ;;
  esac
}

# Runs one target; its outcome goes to $build/status/<target>.
run_target() {
  target=$1
  corpus="$build/corpus/$target"
  crashes="$build/crashes/$target"
  log="$build/logs/$target.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")" "$build/status"
  seeds=""
  for folder in "$here/corpus/$target" "$here/regressions/$target" "$root/tests/fixtures"; do
    [ -d "$folder" ] && seeds="$seeds $folder"
  done
  # The first folder collects what the fuzzer finds; the others only seed it.
  # shellcheck disable=SC2086
  if "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -dict="$(dictionary_of "$target")" -artifact_prefix="$crashes/" -print_final_stats=1 \
       "$corpus" $seeds >"$log" 2>&1; then
    echo ok >"$build/status/$target"
  else
    echo failed >"$build/status/$target"
  fi
}

# Targets run side by side, one per core, so the whole run takes about
# seconds x targets / cores.
parallel=${FUZZ_PARALLEL:-$(nproc)}
running=0
for target in $targets; do
  echo "== $target: ${seconds}s"
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait
    running=0
  fi
done
wait

failed=""
for target in $targets; do
  log="$build/logs/$target.log"
  if [ "$(cat "$build/status/$target" 2>/dev/null)" = ok ]; then
    echo "$target: $(grep -E '^stat::number_of_executed_units' "$log" | tail -n 1)"
  else
    echo "!! $target failed; last lines of $log:"
    tail -n 40 "$log"
    ls -l "$build/crashes/$target"
    failed="$failed $target"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzz targets failed:$failed"
  exit 1
fi
echo "all fuzz targets ran ${seconds}s without a failure"
