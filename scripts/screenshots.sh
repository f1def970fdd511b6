#!/bin/sh
# Takes pictures of Kalvex's window under Xvfb into docs/: the window as a
# user sees it at 96 and 144 dpi (the prefix's LogPixels), and at 96 dpi a
# picture of the general section in confirmation mode for a real component
# (Wine's hhctrl.ocx), the window made tall enough to show what lies below
# its visible area (in that picture only). Build first.
# Usage: scripts/screenshots.sh [build folder]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
. "$ROOT/tests/e2e/wine_env.sh"
kalvex_find_wine

kalvex_fresh_prefix shots
kalvex_install_app "$BUILD/windows-x86_64"
EXE="$WINEPREFIX/drive_c/kalvex/kalvex.exe"
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

# The general section: kalvex_picture.exe poses the window and leaves C:\picture-ready.
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
size="$((6192 / 15 + 40))x$((7600 / 15 + 60))"
kalvex_desktop_picture "$ROOT/docs/screenshot-confirmation.png" "$size" "$WORK/picture.log" \
    '[ -f "$WINEPREFIX/drive_c/picture-ready" ]' \
    'C:\kalvex\kalvex_picture.exe' 'C:\kalvex\kalvex.exe' 'C:\windows\system32\hhctrl.ocx'
echo "docs/screenshot-confirmation.png"
