#!/bin/sh
# End-to-end tests: runs the x86_64 build of kalvex.exe under 64-bit Wine
# inside Xvfb, driven by kalvex_e2e.exe, in a fresh prefix that is removed
# afterwards. Usage: run_e2e.sh <windows-x86_64 build folder>
set -u

BUILD=${1:?usage: run_e2e.sh <windows-x86_64 build folder>}
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/wine_env.sh"
kalvex_find_wine || exit 1

for f in "$BUILD/kalvex.exe" "$BUILD/tests/e2e/kalvex_e2e.exe"; do
    [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done

WORK=$(mktemp -d /tmp/kalvex-e2e.XXXXXX)
export WINEPREFIX="$WORK/prefix"
XVFB_PID=""

cleanup() {
    "$WINESERVER" -k >/dev/null 2>&1
    "$WINESERVER" -w >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

kalvex_start_xvfb || exit 1
echo "# display $DISPLAY, prefix $WINEPREFIX"
kalvex_make_prefix || exit 1

mkdir -p "$WINEPREFIX/drive_c/kalvex"
cp "$BUILD/kalvex.exe" "$BUILD/tests/e2e/kalvex_e2e.exe" "$WINEPREFIX/drive_c/kalvex/"

# The driver's output goes to files: Wine's background processes inherit
# the standard handles and would keep a pipe open.
run_driver() {
    "$WINE" 'C:\kalvex\kalvex_e2e.exe' 'C:\kalvex\kalvex.exe' "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
    status=$?
    cat "$WORK/out.txt"
    if [ $status -ne 0 ]; then
        echo "# driver exit status $status; its error output:"
        sed 's/^/#   /' "$WORK/err.txt" | tail -n 40
    fi
    return $status
}

echo "# pass 1: the prefix's own dpi"
run_driver
first=$?

# Pass 2: the layout again at 120 dpi, where the client area is 516 x 318.
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
"$WINESERVER" -k
"$WINESERVER" -w
echo "# pass 2: 120 dpi"
run_driver layout-only
second=$?

[ $first -eq 0 ] && [ $second -eq 0 ]
