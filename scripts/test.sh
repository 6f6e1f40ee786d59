#!/usr/bin/env bash
# Builds Tarvik and runs the whole test suite. Usage: scripts/test.sh [BUILD_DIR]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build"}
jobs=${JOBS:-2}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")

# Kelmor under AddressSanitizer and UndefinedBehaviorSanitizer: a second, Qt-free build of the
# library with its direct and concurrency tests. Any finding aborts the test and fails the run.
cmake -S "$src" -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTARVIK_KELMOR_ONLY=ON -DTARVIK_SANITIZE=ON
cmake --build "$build-asan" -j"$jobs"
(cd "$build-asan" &&
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")
