#!/bin/sh
# Installs what is missing, builds everything (native core and unit tests,
# Windows i686 and x86_64 programs) and runs every test; then the static
# checks (the sources' floors, clang-format, clang-tidy), and the native
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KALVEX_BUILD_DIR:-$ROOT/build}
JOBS=$(nproc)
# Seconds since boot: the wall clock of these machines can jump.
uptime_s() { cut -d. -f1 /proc/uptime; }
STARTED=$(uptime_s)

"$ROOT/scripts/setup.sh"
cmake -S "$ROOT" -B "$BUILD"
cmake --build "$BUILD" --parallel "$JOBS"
status=0
ctest --test-dir "$BUILD" --output-on-failure || status=$?

# Which end-to-end situations ran and where (natively or in the emulated
# machine), and why any was skipped.
echo "End-to-end situations:"
grep -h -E '^# (situation|SKIP) ' "$BUILD/Testing/Temporary/LastTest.log" | grep -v '^# SKIP compat' |
    sed 's/^# /  /; s/, display.*//' || true
echo "Engine beside regsvr32 (compat):"
grep -h -E '^# (running compat |compat [^ ]+:|SKIP compat )' "$BUILD/Testing/Temporary/LastTest.log" |
    sed 's/^# /  /; s/, display.*//' || true

echo "Static checks:"
python3 "$ROOT/scripts/check_layers.py" || status=$?
"$ROOT/scripts/lint.sh" "$BUILD" || status=$?

echo "Native tests under AddressSanitizer and UndefinedBehaviorSanitizer:"
SAN="$BUILD-sanitize"
CXX=clang++ cmake -S "$ROOT" -B "$SAN" -DKALVEX_WINDOWS=OFF -DKALVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$SAN" --parallel "$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$SAN" --output-on-failure -E fuzz_version || status=$?
echo "Whole run: $(($(uptime_s) - STARTED)) s on $JOBS processors, exit status $status"
exit $status
