#!/bin/sh
# Builds Kalvex and starts it under Wine. With no display, it starts inside
# Xvfb, saves a screenshot of the window and prints where it is.
#
# Where the kernel executes 32-bit code it starts the shipped 32-bit program,
# build/windows-i686/kalvex.exe, under 32-bit Wine; elsewhere the x86_64
# build of the same sources under 64-bit Wine.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KALVEX_BUILD_DIR:-$ROOT/build}

"$ROOT/scripts/setup.sh"
. "$ROOT/tests/e2e/wine_env.sh"
kalvex_find_wine
export WINEPREFIX="$BUILD/wineprefix"
if kalvex_can_run_32bit; then
    kalvex_use_wine32
    ARCH=i686
    SAY="Running the shipped 32-bit program under 32-bit Wine."
else
    ARCH=x86_64
    SAY="Running the x86_64 build under 64-bit Wine: $KALVEX_NO32_REASON."
fi

# Only the program that starts, in the same folder and with the same
# settings as the full build's (scripts/test.sh) Windows build of it.
WINBUILD="$BUILD/windows-$ARCH"
cmake -S "$ROOT" -B "$WINBUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$ARCH.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$WINBUILD" --target kalvex --parallel "$(nproc)"
EXE="$WINBUILD/kalvex.exe"
echo "$SAY ($EXE)"

# The prefix gets the settings the test prefixes get (the caption buttons'
# font among them), once.
prepare_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] || kalvex_make_prefix
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ] || kalvex_prefix_settings
}

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    echo "Starting $EXE under Wine; close its window to end."
    exec "$WINE" "$EXE" "$@"
fi

XVFB_PID=""
cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
kalvex_start_xvfb
prepare_prefix

SHOT="$BUILD/kalvex-screenshot.png"
kalvex_screenshot "$EXE" "$SHOT" 560x400 "$BUILD/kalvex-run.log"
echo "Kalvex ran inside Xvfb on $DISPLAY (no display was set)."
echo "Screenshot: $SHOT"
