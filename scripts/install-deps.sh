#!/usr/bin/env bash
# Installs the system packages Tarvik needs on Debian 12. Needs root (or sudo).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
pkgs=$(grep -v '^#' "$here/packages.txt" | tr '\n' ' ')
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
missing=$(dpkg-query -W -f='${Package} ${Status}\n' $pkgs 2>/dev/null | awk '$4!="installed"{print $1}'; \
          for p in $pkgs; do dpkg-query -W "$p" >/dev/null 2>&1 || echo "$p"; done)
if [ -n "$(echo "$missing" | tr -d '[:space:]')" ]; then
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $pkgs
fi
