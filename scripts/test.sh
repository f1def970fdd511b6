#!/bin/sh
# Installs what is missing, builds everything (native core and unit tests,
# Windows i686 and x86_64 programs) and runs every test.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KALVEX_BUILD_DIR:-$ROOT/build}

"$ROOT/scripts/setup.sh"
cmake -S "$ROOT" -B "$BUILD"
cmake --build "$BUILD" --parallel "$(nproc)"
status=0
ctest --test-dir "$BUILD" --output-on-failure || status=$?

# Which end-to-end situations ran, and why any was skipped.
echo "End-to-end situations:"
grep -h -E '^# (situation|SKIP) ' "$BUILD/Testing/Temporary/LastTest.log" | sed 's/^# /  /; s/, display.*//' || true
exit $status
