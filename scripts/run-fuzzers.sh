#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short, bounded time on a copy of
# its seed corpus. Exits non-zero when a target crashes or a sanitizer reports.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_PER_TARGET=${FUZZ_SECONDS:-20}
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
for src in fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  corpus_name=${name#fuzz_}
  mkdir -p "$work/$name/corpus" "$work/$name/artifacts"
  [ -d "fuzz/corpus/$corpus_name" ] && cp -r "fuzz/corpus/$corpus_name/." "$work/$name/corpus/"
  echo "== $name: ${SECONDS_PER_TARGET}s"
  if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$BUILD/fuzz/$name" -max_total_time="$SECONDS_PER_TARGET" -rss_limit_mb=2048 -timeout=10 \
      -max_len=262144 -print_final_stats=1 -artifact_prefix="$work/$name/artifacts/" \
      "$work/$name/corpus" >"$work/$name/log" 2>&1; then
    echo "!! $name failed; the last lines of its log:"
    tail -n 60 "$work/$name/log"
    mkdir -p build-fuzz/crashes
    cp -r "$work/$name/artifacts/." build-fuzz/crashes/ 2>/dev/null || true
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$work/$name/log" || true
  fi
done
exit $status
