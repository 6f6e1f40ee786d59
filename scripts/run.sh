#!/usr/bin/env bash
# Sets up and starts Tarvik: installs the system packages, builds, creates the database next to
# the program if it is missing (with the sample contract in it), and opens the main window.
# Usage: scripts/run.sh [DATABASE]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$src/build"}

bash "$src/scripts/install-deps.sh"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"${JOBS:-2}" --target tarvik kelmor

db=${1:-"$build/bin/Tarvik.gdb"}
if [ ! -e "$db" ]; then
    "$build/bin/tarvik" create-db "$db"
    for f in "$src"/samples/*.dat; do
        [ -e "$f" ] || continue
        printf 'Загружен контракт %s: номер ' "$(basename "$f")"
        "$build/bin/tarvik" import --db "$db" "$f"
    done
fi

# Without a display, the window still runs on Qt's offscreen platform.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Нет дисплея: запустите под xvfb-run или с QT_QPA_PLATFORM=offscreen (см. README)." >&2
fi
exec "$build/bin/tarvik" "$db"
