# Shared by the scripts that run Windows programs under Wine: finds the
# 64-bit loader and wineserver, starts an Xvfb display when asked, and
# prepares a Wine prefix. Source it; it defines functions only.

# Whether this kernel executes 32-bit x86 code and 32-bit Wine is installed.
# Sets KALVEX_NO32_REASON when it cannot.
kalvex_can_run_32bit() {
    if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        KALVEX_NO32_REASON="this kernel does not execute 32-bit x86 code"
        return 1
    fi
    if [ ! -x /usr/lib/wine/wine ]; then
        KALVEX_NO32_REASON="32-bit Wine (wine32:i386) is not installed"
        return 1
    fi
    return 0
}

# Where this run takes place: "natively", or "in the emulated machine" when
# scripts/guest.sh runs it (that sets KALVEX_GUEST).
kalvex_where() {
    if [ -n "${KALVEX_GUEST:-}" ]; then echo "in the emulated machine"; else echo natively; fi
}

# For an i686 situation where this kernel refuses 32-bit code (after
# kalvex_can_run_32bit fails): whether an emulated machine that executes it
# can start here. Sets KALVEX_GUEST_RUNNER (scripts/guest.sh) and
# KALVEX_PROJECT when it can; adds why not to KALVEX_NO32_REASON when it
# cannot. Inside that machine a refusal is an error, not a reason to start
# another one: it exits 1.
# kalvex_guest_ready <the project's folder>
kalvex_guest_ready() {
    if [ -n "${KALVEX_GUEST:-}" ]; then
        echo "the emulated machine does not run 32-bit code either: $KALVEX_NO32_REASON" >&2
        exit 1
    fi
    KALVEX_PROJECT=$1
    KALVEX_GUEST_RUNNER=$1/scripts/guest.sh
    if ! _why=$("$KALVEX_GUEST_RUNNER" --check 2>&1); then
        KALVEX_NO32_REASON="$KALVEX_NO32_REASON, and ${_why#guest: }"
        return 1
    fi
    echo "# $KALVEX_NO32_REASON: running in an emulated machine (scripts/guest.sh, software emulation)"
}

# Runs a command in the emulated machine in place of this script (after
# kalvex_guest_ready), with the project's folder and the given folders shared.
# Under emulation a run takes about ten times as long as natively; the
# machine's own limit ends it before CTest's (1800 s) does, and says so.
# kalvex_exec_in_guest [--share DIR]... -- COMMAND [ARG]...
kalvex_exec_in_guest() {
    exec "$KALVEX_GUEST_RUNNER" --timeout 1700 --share "$KALVEX_PROJECT" "$@"
}

# Runs programs with the 32-bit loader (after kalvex_find_wine). Prefixes
# are still made by the 64-bit loader, unless WINEARCH=win32 asks for a
# 32-bit Windows.
kalvex_use_wine32() {
    KALVEX_BOOT_WINE=$WINE
    WINE=/usr/lib/wine/wine
    [ "${WINEARCH:-}" = win32 ] && KALVEX_BOOT_WINE=$WINE
    return 0
}

kalvex_find_wine() {
    if [ -x /usr/lib/wine/wine64 ]; then
        WINE=/usr/lib/wine/wine64
    elif command -v wine64 >/dev/null 2>&1; then
        WINE=$(command -v wine64)
    elif command -v wine >/dev/null 2>&1; then
        WINE=$(command -v wine)
    else
        echo "wine64 is not installed (run scripts/setup.sh)" >&2
        return 1
    fi
    if [ -x /usr/lib/wine/wineserver64 ]; then
        WINESERVER=/usr/lib/wine/wineserver64
    elif [ -x /usr/lib/wine/wineserver ]; then
        WINESERVER=/usr/lib/wine/wineserver
    else
        WINESERVER=$(command -v wineserver)
    fi
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEDEBUG=-all
    export WINEARCH=win64
}

# Starts Xvfb on a free display; sets DISPLAY and XVFB_PID.
kalvex_start_xvfb() {
    _fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$_fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    _tries=0
    while [ ! -s "$_fdfile" ] && [ $_tries -lt 100 ]; do
        sleep 0.1
        _tries=$((_tries + 1))
    done
    if [ ! -s "$_fdfile" ]; then
        echo "Xvfb did not start" >&2
        rm -f "$_fdfile"
        return 1
    fi
    DISPLAY=":$(head -n1 "$_fdfile")"
    export DISPLAY
    rm -f "$_fdfile"
}

# Creates the prefix in $WINEPREFIX (inside the current display) and waits
# until Wine's own processes have settled.
kalvex_make_prefix() {
    mkdir -p "$WINEPREFIX"
    "${KALVEX_BOOT_WINE:-$WINE}" wineboot -i >"$WINEPREFIX.boot.log" 2>&1 || {
        cat "$WINEPREFIX.boot.log" >&2
        return 1
    }
    "$WINESERVER" -w
}

# Copies kalvex.exe, the programs that drive it (the end-to-end tests, the
# benchmark, the screenshot script's poser) and the test components of a
# Windows build into C:\kalvex of the prefix; the planted version.dll into
# C:\kalvex\planted; the batch files' stand-in tool into C:\kalvex\standin;
# and the components that must lie in a folder of their own, neither the
# program's nor the current one, into C:\Components.
kalvex_install_app() {
    _app="$WINEPREFIX/drive_c/kalvex"
    mkdir -p "$_app/planted" "$_app/standin" "$WINEPREFIX/drive_c/Components"
    cp "$1/kalvex.exe" "$1/tests/e2e/kalvex_e2e.exe" "$1/bench/kalvex_bench.exe" "$1/scripts/kalvex_picture.exe" \
        "$_app/"
    for _f in "$1"/tests/components/*.ocx "$1"/tests/components/*.dll; do
        [ -f "$_f" ] && cp "$_f" "$_app/"
    done
    cp "$1"/tests/components/planted/* "$_app/planted/"
    cp "$1"/tests/components/standin/* "$_app/standin/"
    cp "$1"/tests/components/elsewhere/* "$WINEPREFIX/drive_c/Components/"
    return 0
}

# Starts a program inside a Wine desktop window of the given size (which
# gives it a frame and title bar to show), waits until the shell test
# <ready> holds, saves a picture of that desktop and ends the program.
# kalvex_desktop_picture <png> <width>x<height> <log> <ready> <program> [argument...]
kalvex_desktop_picture() {
    _png=$1 _size=$2 _log=$3 _ready=$4
    shift 4
    "$WINE" explorer /desktop=Kalvex,"$_size" "$@" >"$_log" 2>&1 &
    _tries=0
    until eval "$_ready"; do
        _tries=$((_tries + 1))
        if [ $_tries -gt 300 ]; then
            echo "nothing to take a picture of after 30 s ($_ready); see $_log" >&2
            return 1
        fi
        sleep 0.1
    done
    sleep 1  # let the paint finish
    import -window root -crop "$_size+0+0" "$_png"
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
}

# The program's window as it starts, once it is there.
# kalvex_screenshot <exe> <png> <width>x<height> <log>
kalvex_screenshot() {
    kalvex_desktop_picture "$2" "$3" "$4" "xwininfo -root -tree 2>/dev/null | grep -q '\"Kalvex\"'" "$1"
}

# A fresh prefix inside a fresh Xvfb, both removed when the script exits:
# sets WORK (a scratch folder holding the prefix), WINEPREFIX and DISPLAY.
# kalvex_fresh_prefix <name>
kalvex_fresh_prefix() {
    WORK=$(mktemp -d "/tmp/kalvex-$1.XXXXXX")
    export WINEPREFIX="$WORK/prefix"
    XVFB_PID=""
    trap kalvex_remove_prefix EXIT INT TERM
    kalvex_start_xvfb || return 1
    kalvex_make_prefix || return 1
    kalvex_prefix_settings
}

# The settings every test prefix gets, in $WINEPREFIX after wineboot.
kalvex_prefix_settings() {
    # No window manager runs in Xvfb: unmanaged windows spare each closing
    # top-level window (every message box) Wine's wait for one.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Wine draws the caption buttons with Marlett's glyphs ("r" is the close
    # box). This Wine does not look for its own fonts where fonts-wine puts
    # them, but always in the prefix's Fonts folder. Only Marlett goes there:
    # Wine's bitmap MS Sans Serif would answer the large step numbers with a
    # small size it cannot scale.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    else
        echo "Wine's Marlett font is missing (fonts-wine): caption buttons will show letters" >&2
    fi
    # A program that crashes just ends: no debugger starts and waits on it.
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ \
        /d false /f >/dev/null 2>&1
    return 0
}

# Also under "set -e" (screenshots.sh, run_bench.sh): a wineserver that has
# already ended must not stop the removal.
kalvex_remove_prefix() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
