#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
# It also installs 32-bit Wine, so that the end-to-end tests run the shipped
# i686 program itself: natively where the kernel executes 32-bit x86 code;
# elsewhere inside an emulated machine (scripts/guest.sh), which needs QEMU,
# Debian's amd64 kernel and, for its small start-up image, a static busybox,
# cpio, kmod and xz.
# Run as root (or through sudo) on Debian 12.
set -eu

PACKAGES="cmake make g++ googletest libgtest-dev clang libclang-rt-14-dev \
g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
wine64 fonts-wine xvfb xauth x11-utils imagemagick python3 python3-pefile"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

updated=""
install_missing() {
    missing=""
    for p in "$@"; do installed "$p" || missing="$missing $p"; done
    [ -n "$missing" ] || return 0
    echo "setup: installing$missing"
    if [ -z "$updated" ]; then
        $SUDO apt-get update
        updated=yes
    fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
}

install_missing $PACKAGES

# 32-bit code: add the i386 architecture, bring its C library and ask its
# loader. 32-bit Wine installs either way (the emulated machine runs this
# machine's own installation).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    updated=""
fi
install_missing libc6:i386
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    install_missing wine32:i386
else
    echo "setup: this kernel does not execute 32-bit x86 code; the i686 runs take place in an emulated machine"
    install_missing wine32:i386 qemu-system-x86 linux-image-amd64 busybox-static cpio kmod xz-utils
fi
echo "setup: every package is present"
