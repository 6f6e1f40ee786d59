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

# Bounded fuzz run of the contract reader (libFuzzer with ASan and UBSan, clang-14).
# FUZZ_SECONDS sets the length (default 60; 0 skips). Longer runs by hand:
#   FUZZ_SECONDS=3600 bash scripts/test.sh
fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ] && command -v clang++-14 >/dev/null; then
    fuzz_build="$build-fuzz"
    cmake -S "$src" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DTARVIK_FUZZ=ON \
        -DTARVIK_BUILD_TESTS=OFF -DTARVIK_BUILD_BENCH=OFF -DTARVIK_BUILD_GUI=OFF
    cmake --build "$fuzz_build" -j"$jobs" --target fuzz_contractreader
    corpus=$(mktemp -d)
    trap 'rm -rf "$corpus"' EXIT
    # New inputs go to the temporary corpus; the seeds in the repository stay as they are.
    (cd "$corpus" && "$fuzz_build/bin/fuzz_contractreader" -max_total_time="$fuzz_seconds" \
        -max_len=16384 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -dict="$src/fuzz/dict/contract.dict" "$corpus" "$src/fuzz/corpus" "$src/samples" \
        2>"$corpus.log") || { tail -50 "$corpus.log"; rm -f "$corpus.log"; exit 1; }
    grep -E '^(Done|stat::number_of_executed_units)' "$corpus.log" || true
    rm -f "$corpus.log"
fi
