#!/usr/bin/env bash
# Installs the system packages Tarvik needs on Debian 12. Needs root (or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
pkgs=$(grep -v '^#' "$here/packages.txt" | tr '\n' ' ')
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=$(dpkg-query -W -f='${Package} ${Status}\n' $pkgs 2>/dev/null | awk '$4!="installed"{print $1}'; \
          for p in $pkgs; do dpkg-query -W "$p" >/dev/null 2>&1 || echo "$p"; done)
server_was_installed=yes
dpkg-query -W -f='${Status}' firebird3.0-server 2>/dev/null | grep -q 'ok installed' ||
    server_was_installed=no
if [ -n "$(echo "$missing" | tr -d '[:space:]')" ]; then
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $pkgs
fi
# The tests start a Firebird server of their own, on a port of their own. The system-wide
# server that the package starts and enables on installation is stopped and disabled again,
# unless it was there before this run.
if [ "$server_was_installed" = no ]; then
    if [ -d /run/systemd/system ]; then
        $SUDO systemctl disable --now firebird3.0.service >/dev/null 2>&1 || true
    else
        $SUDO invoke-rc.d firebird3.0 stop >/dev/null 2>&1 || true
        $SUDO systemctl disable firebird3.0.service >/dev/null 2>&1 || true
    fi
fi
