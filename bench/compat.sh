#!/bin/sh
# Measures the program's registration engine against Wine's regsvr32 /s on
# Wine's own COM servers: every .dll and .ocx of a fresh prefix's system
# folder that exports DllRegisterServer. Two twin prefixes, made as the
# end-to-end harness makes its one: prefix A registers and unregisters each
# library with the engine (kalvex_compat.exe engine), prefix B with
# regsvr32 (kalvex_compat.exe regsvr32), in the same order, one process per
# library. Then the outcomes and registry changes are compared and written
# out as Markdown (docs/compatibility.md by default). With --through window,
# prefix A registers through the program itself: kalvex_compat.exe window
# starts C:\kalvex\kalvex.exe for each library and drives its window.
#
# Situations, as in tests/e2e/run_e2e.sh:
#   x64         the x86_64 tool under 64-bit Wine, C:\windows\system32
#   i686-wow64  the i686 tool under 32-bit Wine on 64-bit Windows,
#               C:\windows\syswow64
#   i686-win32  the i686 tool on 32-bit Windows (WINEARCH=win32),
#               C:\windows\system32
# The i686 situations need a kernel that executes 32-bit code. Where this
# one refuses it, the script runs itself again inside an emulated machine
# that executes it (scripts/guest.sh; --keep's folder is then lost with the
# machine); where none can start either, it exits 77 (skipped).
#
# Usage: bench/compat.sh [options]
#   --sample N        N evenly spaced libraries of the sorted list (default: all)
#   --guest-sample N  the sample instead, when the run moves into the emulated
#                     machine (where a library costs about a minute)
#   --through T       engine (default: the engine in the tool's own process)
#                     or window (kalvex.exe's window; natively only)
#   --situation S     x64 (default), i686-wow64 or i686-win32
#   --output FILE     the report (default: docs/compatibility.md)
#   --build DIR       the native build folder (default: build)
#   --only A,B        just these libraries (by file name), for investigating
#   --winedebug CH    WINEDEBUG for the library runs, for investigating
#   --keep            keep the prefixes and raw outputs (the folder is named)
# Exit status: 0 when every library and the calibration agree, 1 when
# something differs (the report is written all the same), 2 when the
# measurement itself could not be made, 77 when the situation cannot run.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/tests/e2e/wine_env.sh"
PYTHON=${KALVEX_PYTHON3:-/usr/bin/python3}

SAMPLE=0
GUEST_SAMPLE=""
THROUGH=engine
SITUATION=x64
OUTPUT=$ROOT/docs/compatibility.md
BUILD=$ROOT/build
ONLY=""
RUN_DEBUG=""
KEEP=0
while [ $# -gt 0 ]; do
    case "$1" in
        --sample) SAMPLE=$2; shift 2 ;;
        --guest-sample) GUEST_SAMPLE=$2; shift 2 ;;
        --through) THROUGH=$2; shift 2 ;;
        --situation) SITUATION=$2; shift 2 ;;
        --output) OUTPUT=$2; shift 2 ;;
        --build) BUILD=$2; shift 2 ;;
        --only) ONLY=$2; shift 2 ;;
        --winedebug) RUN_DEBUG=$2; shift 2 ;;
        --keep) KEEP=1; shift ;;
        *) echo "unknown option $1 (see the head of $0)" >&2; exit 2 ;;
    esac
done

case "$THROUGH" in
    engine | window) ;;
    *) echo "unknown --through $THROUGH" >&2; exit 2 ;;
esac
kalvex_find_wine || exit 2
WINDIR='C:\windows\system32'
SYSDIR=system32
case "$SITUATION" in
    x64) TOOLBUILD=$BUILD/windows-x86_64 ;;
    i686-wow64 | i686-win32)
        if ! kalvex_can_run_32bit; then
            # The window's run drives a whole program per library: in the
            # emulated machine the end-to-end runs cover the window instead.
            if [ "$THROUGH" = window ]; then
                echo "# SKIP compat $SITUATION through the window: $KALVEX_NO32_REASON (runs natively only)"
                exit 77
            fi
            if kalvex_guest_ready "$ROOT"; then
                mkdir -p "$(dirname "$OUTPUT")"
                OUTPUT=$(cd "$(dirname "$OUTPUT")" && pwd)/$(basename "$OUTPUT")
                BUILD=$(cd "$BUILD" && pwd) || exit 2
                set -- --sample "${GUEST_SAMPLE:-$SAMPLE}" --situation "$SITUATION" --output "$OUTPUT" --build "$BUILD"
                [ -n "$ONLY" ] && set -- "$@" --only "$ONLY"
                [ -n "$RUN_DEBUG" ] && set -- "$@" --winedebug "$RUN_DEBUG"
                [ $KEEP -eq 1 ] && set -- "$@" --keep
                kalvex_exec_in_guest --share "$BUILD" --share "$(dirname "$OUTPUT")" -- sh "$ROOT/bench/compat.sh" "$@"
            fi
            echo "# SKIP compat $SITUATION: $KALVEX_NO32_REASON"
            exit 77
        fi
        if [ "$SITUATION" = i686-win32 ]; then
            export WINEARCH=win32
        else
            WINDIR='C:\windows\syswow64'
            SYSDIR=syswow64
        fi
        kalvex_use_wine32
        TOOLBUILD=$BUILD/windows-i686
        ;;
    *) echo "unknown situation $SITUATION" >&2; exit 2 ;;
esac
TOOL=$TOOLBUILD/bench/kalvex_compat.exe
COMPONENTS=$TOOLBUILD/tests/components
for f in "$TOOL" "$TOOLBUILD/kalvex.exe" "$COMPONENTS/kvx_good.ocx" "$COMPONENTS/elsewhere/kvx_fault.ocx"; do
    [ -f "$f" ] || { echo "missing $f (build first)" >&2; exit 2; }
done

STARTED=$(date +%s)
WORK=$(mktemp -d /tmp/kalvex-compat.XXXXXX)
PREFIX_A=$WORK/a
PREFIX_B=$WORK/b
XVFB_PID=""
RUNNERS=""
HOLDERS=""

# Ends what this script started: the two library loops, the desktops'
# holders, everything Wine runs in either prefix, and the display; then
# removes the prefixes.
cleanup() {
    for pid in $RUNNERS $HOLDERS; do kill "$pid" 2>/dev/null; done
    for prefix in "$PREFIX_A" "$PREFIX_B"; do
        [ -d "$prefix" ] || continue
        WINEPREFIX=$prefix "$WINESERVER" -k >/dev/null 2>&1
        WINEPREFIX=$prefix "$WINESERVER" -w >/dev/null 2>&1
    done
    for pid in $RUNNERS $HOLDERS; do wait "$pid" 2>/dev/null; done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    if [ $KEEP -eq 1 ]; then
        echo "# kept $WORK"
    else
        rm -rf "$WORK"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

kalvex_start_xvfb || exit 2
echo "# running compat $SITUATION through the $THROUGH: $(kalvex_where), $WINE, display $DISPLAY, work folder $WORK"

# The twins, made side by side.
for prefix in "$PREFIX_A" "$PREFIX_B"; do
    (
        export WINEPREFIX=$prefix
        kalvex_make_prefix && kalvex_prefix_settings && "$WINESERVER" -w
    ) >"$prefix.make.log" 2>&1 &
    RUNNERS="$RUNNERS $!"
done
for pid in $RUNNERS; do
    wait "$pid" || { cat "$WORK"/*.make.log "$WORK"/*.boot.log >&2; exit 2; }
done
RUNNERS=""
echo "# prefixes made after $(($(date +%s) - STARTED)) s"

for prefix in "$PREFIX_A" "$PREFIX_B"; do
    mkdir -p "$prefix/drive_c/kalvex"
    cp "$TOOL" "$TOOLBUILD/kalvex.exe" "$COMPONENTS"/kvx_good.ocx "$COMPONENTS"/kvx_denied.ocx "$COMPONENTS"/kvx_noexports.dll \
        "$COMPONENTS"/kvx_text.ocx "$COMPONENTS"/elsewhere/kvx_fault.ocx "$prefix/drive_c/kalvex/"
done

# The corpus, from prefix A's system folder; prefix B must hold the same.
"$PYTHON" "$ROOT/bench/compat_report.py" list "$PREFIX_A/drive_c/windows/$SYSDIR" >"$WORK/corpus.txt" || exit 2
"$PYTHON" "$ROOT/bench/compat_report.py" list "$PREFIX_B/drive_c/windows/$SYSDIR" >"$WORK/corpus-b.txt" || exit 2
if ! cmp -s "$WORK/corpus.txt" "$WORK/corpus-b.txt"; then
    echo "the twin prefixes hold different libraries:" >&2
    diff "$WORK/corpus.txt" "$WORK/corpus-b.txt" >&2
    exit 2
fi
"$PYTHON" "$ROOT/bench/compat_report.py" select "$WORK/corpus.txt" "$SAMPLE" "$ONLY" >"$WORK/libraries.txt" || exit 2
echo "# $(wc -l <"$WORK/corpus.txt") libraries export DllRegisterServer; running $(wc -l <"$WORK/libraries.txt")"

# A user of each prefix's desktop from here to the end: the command
# processor waiting for a key on a pipe that nothing writes to. Wine closes
# a desktop 1 s after its last user has gone, and the next process starts a
# new one, which adds display keys of its own under
# HKLM\System\CurrentControlSet\Control\Video; where a process takes longer
# than that to start (under emulation), those keys would otherwise land in
# one library's changes in one prefix or the other. The desktop starts now,
# during the calibration, whose snapshots hold HKCU\Software\Classes only.
for prefix in "$PREFIX_A" "$PREFIX_B"; do
    mkfifo "$prefix.hold" || exit 2
    WINEPREFIX=$prefix "$WINE" cmd /c pause <"$prefix.hold" >"$prefix.hold.log" 2>&1 &
    sleep 86400 >"$prefix.hold" &
    HOLDERS="$HOLDERS $!"
done

# The calibration: the test components whose outcomes are known, then the
# libraries; one process per library, its output in files (Wine's
# background processes would hold a pipe open). A run that outlives every
# limit of its own is ended from here.
CALIBRATION="kvx_good.ocx kvx_denied.ocx kvx_noexports.dll kvx_text.ocx kvx_missing.ocx kvx_fault.ocx"
run_all() {
    # $1 prefix, $2 mode, $3 output folder
    export WINEPREFIX=$1
    mkdir -p "$3"
    for name in $CALIBRATION; do
        WINEDEBUG=-all timeout -k 5 120 "$WINE" 'C:\kalvex\kalvex_compat.exe' "$2" "C:\\kalvex\\$name" \
            --root 'HKCU\Software\Classes' >"$3/cal-$name.out" 2>"$3/cal-$name.err"
        echo $? >"$3/cal-$name.rc"
    done
    while read -r name; do
        for attempt in 1 2; do
            WINEDEBUG=${RUN_DEBUG:--all} timeout -k 5 300 "$WINE" 'C:\kalvex\kalvex_compat.exe' "$2" "$WINDIR\\$name" \
                >"$3/$name.out" 2>"$3/$name.err"
            echo $? >"$3/$name.rc"
            # A process that ended before its first step (seen once, under
            # load, on the regsvr32 side) registered nothing: it runs once
            # more, and the first attempt's error output is kept.
            grep -q "^step	register" "$3/$name.out" && break
            [ $attempt -eq 1 ] && mv "$3/$name.err" "$3/$name.first.err" &&
                echo "# $2: $name ended before its first step (exit $(cat "$3/$name.rc")); once more"
        done
    done <"$WORK/libraries.txt"
}
RUN_STARTED=$(date +%s)
run_all "$PREFIX_A" "$THROUGH" "$WORK/engine" &
RUNNERS="$RUNNERS $!"
run_all "$PREFIX_B" regsvr32 "$WORK/regsvr32" &
RUNNERS="$RUNNERS $!"
for pid in $RUNNERS; do wait "$pid"; done
RUNNERS=""
RUN_SECONDS=$(($(date +%s) - RUN_STARTED))
echo "# libraries run in $RUN_SECONDS s"

mkdir -p "$(dirname "$OUTPUT")"
"$PYTHON" "$ROOT/bench/compat_report.py" report \
    --work "$WORK" --situation "$SITUATION" --through "$THROUGH" --where "$(kalvex_where)" --folder "$WINDIR" --sample "$SAMPLE" --only "$ONLY" \
    --wine "$("$WINE" --version 2>/dev/null)" --tool "$TOOL" --source "$ROOT" \
    --reasons "$ROOT/bench/compat_reasons.txt" --seconds "$(($(date +%s) - STARTED))" --run-seconds "$RUN_SECONDS" \
    --output "$OUTPUT"
status=$?
echo "# wrote $OUTPUT"
exit $status
