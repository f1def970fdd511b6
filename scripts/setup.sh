#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
# Run as root (or through sudo) on Debian 12.
set -eu

PACKAGES="cmake make g++ googletest libgtest-dev clang libclang-rt-14-dev \
g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
wine64 xvfb xauth x11-utils imagemagick python3 python3-pefile"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "setup: every package is present"
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "setup: installing$missing"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
