#!/bin/sh
# End-to-end tests: runs kalvex.exe under Wine inside Xvfb, driven by
# kalvex_e2e.exe of the same build, in a fresh prefix that is removed
# afterwards. One situation per call:
#   x64         the x86_64 build under 64-bit Wine (runs everywhere)
#   i686-wow64  the shipped i686 build as a 32-bit program on 64-bit Windows
#   i686-win32  the shipped i686 build on 32-bit Windows (WINEARCH=win32)
# The i686 situations need a kernel that executes 32-bit code. Where this
# one refuses it, the script runs itself again inside an emulated machine
# that executes it (scripts/guest.sh); where none can start either, it
# exits 77, which CTest reports as skipped. The "# situation" line says
# where the tests ran. KALVEX_E2E_ONLY=<group> runs one scenario group
# alone (window, batch, components, failures, world, version or thisuser).
# Usage: run_e2e.sh <situation> <Windows build folder>
set -u

SITUATION=${1:?usage: run_e2e.sh <x64|i686-wow64|i686-win32> <Windows build folder>}
BUILD=${2:?usage: run_e2e.sh <situation> <Windows build folder>}
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
. "$HERE/wine_env.sh"
kalvex_find_wine || exit 1

case "$SITUATION" in
    x64) ;;
    i686-wow64 | i686-win32)
        if ! kalvex_can_run_32bit; then
            if kalvex_guest_ready "$ROOT"; then
                BUILD=$(cd "$BUILD" && pwd) || exit 1
                kalvex_exec_in_guest --share "$BUILD" -- sh "$HERE/run_e2e.sh" "$SITUATION" "$BUILD"
            fi
            echo "# SKIP $SITUATION: $KALVEX_NO32_REASON"
            exit 77
        fi
        [ "$SITUATION" = i686-win32 ] && export WINEARCH=win32
        kalvex_use_wine32
        ;;
    *) echo "unknown situation $SITUATION" >&2; exit 1 ;;
esac

for f in "$BUILD/kalvex.exe" "$BUILD/tests/e2e/kalvex_e2e.exe"; do
    [ -f "$f" ] || { echo "missing $f" >&2; exit 1; }
done

kalvex_fresh_prefix e2e || exit 1
echo "# situation $SITUATION: $(kalvex_where), $WINE, display $DISPLAY, prefix $WINEPREFIX"

# The program, its driver and the test components in one folder of their own.
kalvex_install_app "$BUILD"
# A component of the other bitness, from the other Windows build beside this one.
for other in "$BUILD/../windows-i686" "$BUILD/../windows-x86_64"; do
    if [ -f "$other/kalvex.exe" ] && [ "$(cd "$other" && pwd)" != "$(cd "$BUILD" && pwd)" ]; then
        mkdir -p "$WINEPREFIX/drive_c/kalvex/other"
        cp "$other/tests/components/kvx_good.ocx" "$WINEPREFIX/drive_c/kalvex/other/"
    fi
done

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
run_driver ${KALVEX_E2E_ONLY:-}
first=$?
[ -n "${KALVEX_E2E_ONLY:-}" ] && exit $first

# Pass 2: the layout again at 120 dpi, where the client area is 516 x 318.
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
"$WINESERVER" -k
"$WINESERVER" -w
echo "# pass 2: 120 dpi"
run_driver layout-only
second=$?

[ $first -eq 0 ] && [ $second -eq 0 ]
