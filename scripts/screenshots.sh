#!/bin/sh
# Takes pictures of Kalvex's window under Xvfb at 96 and 144 dpi (the
# prefix's LogPixels) into docs/. Build first.
# Usage: scripts/screenshots.sh [build folder]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
. "$ROOT/tests/e2e/wine_env.sh"
kalvex_find_wine

kalvex_fresh_prefix shots
EXE="$BUILD/windows-x86_64/kalvex.exe"
for dpi in 96 144; do
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    # The desktop fits the window: 6192 x 3816 twips of client area plus the frame.
    width=$((6192 * dpi / 1440 + 40 * dpi / 96))
    height=$((3816 * dpi / 1440 + 60 * dpi / 96))
    kalvex_screenshot "$EXE" "$ROOT/docs/screenshot-${dpi}dpi.png" "${width}x${height}" "$WORK/run.log"
    echo "docs/screenshot-${dpi}dpi.png"
done
