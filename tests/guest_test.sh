#!/bin/sh
# The emulated machine's runner (scripts/guest.sh), as its callers use it:
# each case boots a machine, runs a command and compares what comes back
# (exit status, the output's lines, a file written into a shared folder)
# with what the case expects. Skipped (77) where no machine can start.
# Usage: tests/guest_test.sh
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
GUEST=$ROOT/scripts/guest.sh
"$GUEST" --check || exit 77

WORK=$(mktemp -d /tmp/kalvex-guest-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
SHARED="$WORK/a shared, folder"
mkdir -p "$SHARED"
failures=0

# check <case> <what> <expected> <actual>
check() {
    if [ "$3" = "$4" ]; then
        echo "ok   $1: $2"
    else
        echo "FAIL $1: $2: expected [$3], got [$4]"
        failures=$((failures + 1))
    fi
}

# Every line of a long output, as written (no carriage returns added), and
# a status CTest reads as "skipped".
( cd / && "$GUEST" -- sh -c 'seq 1 40000; exit 77' >"$WORK/out" 2>"$WORK/err" )
check output "status" 77 $?
check output "lines" 40000 "$(wc -l <"$WORK/out")"
check output "last line" 40000 "$(tail -n 1 "$WORK/out")"
check output "carriage returns" 0 "$(tr -cd '\r' <"$WORK/out" | wc -c)"

# The machine as a run sees it: 32-bit code runs, the current folder and a
# shared one at their paths, written back; the environment less the
# display, with the guard; arguments as given.
( cd "$SHARED" && DISPLAY=:99 KALVEX_TEST_WORD="it's a word" "$GUEST" --share "$SHARED" -- sh -c '
    /lib/ld-linux.so.2 --version >/dev/null && echo 32-bit
    pwd
    echo "${DISPLAY:-no display} $KALVEX_GUEST $KALVEX_TEST_WORD"
    printf "%s|" "$@"; echo
    echo back >written' sh "two words" "a'b" '$HOME' >"$WORK/out" 2>"$WORK/err" )
check world "status" 0 $?
check world "32-bit code" 32-bit "$(sed -n 1p "$WORK/out")"
check world "current folder" "$SHARED" "$(sed -n 2p "$WORK/out")"
check world "environment" "no display 1 it's a word" "$(sed -n 3p "$WORK/out")"
check world "arguments" "two words|a'b|\$HOME|" "$(sed -n 4p "$WORK/out")"
check world "file written back" back "$(cat "$SHARED/written" 2>/dev/null)"

# The time limit ends the machine, says so and leaves nothing behind.
before=$(ls -d /tmp/kalvex-guest.* 2>/dev/null | wc -l)
( cd / && "$GUEST" --timeout 20 -- sleep 600 >"$WORK/out" 2>"$WORK/err" )
check limit "status" 124 $?
check limit "message" 1 "$(grep -c 'time limit of 20 s' "$WORK/err")"
check limit "temporary folders left" "$before" "$(ls -d /tmp/kalvex-guest.* 2>/dev/null | wc -l)"

[ $failures -eq 0 ]
