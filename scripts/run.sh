#!/usr/bin/env bash
# Builds Tarvik if needed and starts it. On the first run it creates the database next to the
# executable and imports the sample contracts of samples/, so the register is not empty.
# Usage: scripts/run.sh [BUILD_DIR]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$src/build"}
jobs=${JOBS:-2}

if [ ! -x "$build/bin/tarvik" ]; then
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build" -j"$jobs" --target tarvik kelmor
fi
export FIREBIRD=${FIREBIRD:-"$build/firebird"}
db="$build/bin/Tarvik.gdb"
if [ ! -e "$db" ]; then
    "$build/bin/tarvik" create-db "$db"
    for f in "$src"/samples/*.dat; do
        printf 'Загружен контракт %s: номер ' "$(basename "$f")"
        "$build/bin/tarvik" import --db "$db" "$f"
    done
fi
exec "$build/bin/tarvik" "$db"
