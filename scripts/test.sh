#!/usr/bin/env bash
# Builds Tarvik and runs the whole test suite. Usage: scripts/test.sh [BUILD_DIR]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build"}
jobs=${JOBS:-2}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$jobs"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")
