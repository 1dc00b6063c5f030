#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short, bounded time on a copy of
# its seed corpus, then once more with larger inputs on the seeds shaped to make a reader repeat
# itself (fuzz/corpus-large): a reader gone quadratic shows as a timeout there. Exits non-zero
# when a target crashes, times out or a sanitizer reports.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-20}
SECONDS_PER_LARGE_RUN=${FUZZ_LARGE_SECONDS:-$SECONDS_PER_TARGET}
BUILD=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVANE_FUZZ=ON -DQUORVANE_GUI=OFF -DQUORVANE_TESTS=OFF -DQUORVANE_BENCH=OFF >/dev/null
# Only the fuzz targets: the programs beside them link the instrumented libraries without
# the fuzzer's runtime.
targets=()
for src in fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
cmake --build "$BUILD" -j "$(nproc)" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# fuzz TARGET RUN SECONDS MAX_LEN SEED_FOLDER...
fuzz() {
  local name=$1 run=$2 seconds=$3 max_len=$4
  shift 4
  local dir="$work/$name-$run"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  for seeds in "$@"; do
    if [ -d "$seeds" ]; then cp -r "$seeds/." "$dir/corpus/"; fi
  done
  echo "== $name ($run): ${seconds}s, inputs up to $max_len bytes"
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$BUILD/fuzz/$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
      -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
      "$dir/corpus" >"$dir/log" 2>&1; then
    echo "!! $name ($run) failed; the last lines of its log:"
    tail -n 60 "$dir/log"
    mkdir -p build-fuzz/crashes
    cp -r "$dir/artifacts/." build-fuzz/crashes/ 2>/dev/null || true
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$dir/log" || true
  fi
}

for src in fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  corpus_name=${name#fuzz_}
  fuzz "$name" small "$SECONDS_PER_TARGET" 262144 "fuzz/corpus/$corpus_name"
  if [ -d "fuzz/corpus-large/$corpus_name" ]; then
    fuzz "$name" large "$SECONDS_PER_LARGE_RUN" 4194304 "fuzz/corpus-large/$corpus_name" "fuzz/corpus/$corpus_name"
  fi
done
exit $status
