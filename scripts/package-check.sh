#!/usr/bin/env bash
# Builds the Debian package, checks it (desktop-file-validate, lintian), installs it with apt-get,
# runs the installed program from a folder outside the build, removes the package again and
# checks that nothing is left in /usr and /etc. Needs root: it installs into the real /usr.
# Usage: scripts/package-check.sh [BUILD_DIR]   (the build of scripts/test.sh is reused)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-"$src/build"}")
jobs=${JOBS:-2}
export DEBIAN_FRONTEND=noninteractive

if [ "$(id -u)" -ne 0 ]; then
    echo "package-check: needs root (apt-get install and remove)" >&2
    exit 1
fi
# installed, config-files or not-installed
state() { dpkg-query -W -f='${db:Status-Status}' tarvik 2>/dev/null || echo not-installed; }
if [ "$(state)" != not-installed ]; then
    echo "package-check: tarvik is on this system already ($(state)); purge it first" >&2
    exit 1
fi

step() { printf '\n== %s\n' "$*"; }

step "Building the package"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/package/tarvik_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "package-check: no package written" >&2; exit 1; }
version=$(dpkg-deb -f "$deb" Version)

step "$(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends Section
dpkg -c "$deb" | awk '{print $1, $2, $6}'

work=$(mktemp -d)
installed=""
cleanup() {
    if [ -n "$installed" ]; then
        apt-get remove -y -q tarvik >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"

step "desktop-file-validate and lintian"
dpkg-deb -x "$deb" "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/tarvik.desktop"
grep -qx "UdfAccess = Restrict /usr/lib/tarvik/udf" \
    "$work/unpacked/usr/lib/tarvik/firebird/firebird.conf"
# Each icon a PNG of its size: the signature, then width and height in the header.
for size in 16 32 48 64 128 256; do
    png="$work/unpacked/usr/share/icons/hicolor/${size}x$size/apps/tarvik.png"
    [ "$(od -An -tu1 -N8 "$png" | tr -s ' ')" = " 137 80 78 71 13 10 26 10" ]
    [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ]
done
echo "icons: 16 32 48 64 128 256 px"
rc=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || rc=$?
grep -v 'running with root privileges' "$work/lintian" || true
[ "$rc" -eq 0 ] || { echo "package-check: lintian reports errors" >&2; exit 1; }
echo "lintian: no errors"

# The paths the package or the program could touch, before and after.
snapshot() {
    for p in /etc /usr/bin /usr/lib /usr/share/applications /usr/share/icons /usr/share/doc \
        /usr/share/man/man1 /usr/share/tarvik; do
        if [ -e "$p" ]; then find "$p" -xdev -printf '%y %p\n'; fi
    done | sort
}
snapshot >"$work/before"

step "apt-get install ./$(basename "$deb")"
installed=yes
(cd "$(dirname "$deb")" && apt-get install -y -q --no-install-recommends "./$(basename "$deb")")

step "The installed program, from $work/run"
mkdir -p "$work/run" "$work/home" "$work/user"
chown 65534:65534 "$work/user"
cd "$work/run"
export HOME="$work/home" TMPDIR="$work/run"
unset XDG_DATA_HOME FIREBIRD FIREBIRD_LOCK
sample=/usr/share/tarvik/samples/contract-2026-0041.dat
[ "$(command -v tarvik)" = /usr/bin/tarvik ]
[ "$(tarvik --version)" = "tarvik $version" ]
tarvik --version
tarvik create-db "$work/run/t.gdb"
echo "create-db: $work/run/t.gdb"
printf 'import: номер %s\n' "$(tarvik import --db "$work/run/t.gdb" "$sample")"
tarvik list --db "$work/run/t.gdb" | tee "$work/list"
grep -q $'\t'"$sample\$" "$work/list"
# Kelmor answers from the installed library (UdfAccess names it).
FIREBIRD=/usr/lib/tarvik/firebird FIREBIRD_LOCK="$TMPDIR/tarvik-firebird" \
    isql-fb -q "$work/run/t.gdb" <<<'select f_div(7, 2) from rdb$database;' | tee "$work/udf"
grep -q '3.5' "$work/udf"

# The default database: /usr/bin is not a database folder, for root either. Root's is in its
# home folder, and so is a user's; the window's first start creates it as the commands do.
tarvik import "$sample" >/dev/null
[ -f "$HOME/.local/share/tarvik/Tarvik.gdb" ] && [ ! -e /usr/bin/Tarvik.gdb ]
[ "$(tarvik list | wc -l)" -eq 1 ]
echo "root's default database: $HOME/.local/share/tarvik/Tarvik.gdb"
# A user without a home entry: nobody's ids, a home folder of its own.
user=(setpriv --reuid=65534 --regid=65534 --clear-groups
      env HOME="$work/user" TMPDIR="$work/user" QT_QPA_PLATFORM=offscreen)
"${user[@]}" tarvik &
pid=$! # setpriv and env exec: the program itself
userdb="$work/user/.local/share/tarvik/Tarvik.gdb"
for _ in $(seq 300); do
    [ -s "$userdb" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
sleep 1
kill -TERM "$pid"
wait "$pid"
[ -f "$userdb" ]
[ "$("${user[@]}" tarvik list | wc -l)" -eq 0 ]
echo "a user's first start of the window: $userdb, empty"
cd /

step "apt-get remove tarvik"
apt-get remove -y -q tarvik
installed=""
if [ "$(state)" != not-installed ]; then
    echo "package-check: tarvik is still on the system ($(state))" >&2
    exit 1
fi
snapshot >"$work/after"
if ! diff "$work/before" "$work/after"; then
    echo "package-check: files left behind (above)" >&2
    exit 1
fi
echo "nothing left in /usr and /etc"
