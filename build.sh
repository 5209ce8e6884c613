#!/usr/bin/env bash
# Set-up on a fresh Debian 12 machine, then a make target: ./build.sh run | test | bench | ...
# Installs make and the build's packages when they are missing (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")"
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
if ! command -v make >/dev/null; then
    $sudo apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends make
fi
exec make "${@:-test}"
