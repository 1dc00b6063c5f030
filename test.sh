#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Release build with all tests,
# all of them again under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets for a short, bounded time. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

JOBS=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

# Every layer again under the sanitizers, the window's tests on Qt's offscreen platform (CTest
# sets it). Leaks are reported except those inside the system's font and graphics libraries and
# Qt's plugins, which keep their caches until the process ends (scripts/lsan-suppressions.txt).
# The build runs instrumented generators too (report templates, the manual).
export LSAN_OPTIONS=suppressions="$PWD/scripts/lsan-suppressions.txt":print_suppressions=0
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_BENCH=OFF -DQUORVANE_SANITIZE=ON
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$JOBS"

if [ -f fuzz/CMakeLists.txt ] && ls fuzz/*.cpp >/dev/null 2>&1; then
  scripts/run-fuzzers.sh
fi
