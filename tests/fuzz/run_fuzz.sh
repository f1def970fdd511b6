#!/bin/sh
# Builds the version fuzzer with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs it for a bounded time on a fresh
# corpus seeded with small real PE files. A crash leaves its input in the
# work folder and fails the run.
# Usage: run_fuzz.sh <seconds> [work folder] [seed file...]
set -eu
DURATION=${1:?usage: run_fuzz.sh <seconds> [work folder] [seed file...]}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=${2:-$ROOT/build/fuzz}
shift
[ $# -gt 0 ] && shift
CXX=${FUZZ_CXX:-clang++}

if [ $# -eq 0 ]; then
    # Small files with a version block, 32- and 64-bit, from Wine.
    set -- /usr/lib/i386-linux-gnu/wine/i386-windows/lz32.dll \
        /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/lz32.dll \
        /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/stdole32.tlb
fi

mkdir -p "$WORK"
# FUZZ_SANITIZERS (default address,undefined), FUZZ_RUNS (a number of
# executions to stop at) and FUZZ_MAX_LEN tune longer runs (bench/run_fuzz.sh).
SANITIZERS=${FUZZ_SANITIZERS-address,undefined}
"$CXX" -std=c++17 -g -O1 -fsanitize=fuzzer${SANITIZERS:+,$SANITIZERS} -fno-sanitize-recover=all \
    -I"$ROOT/src" -I"$ROOT/tools" "$ROOT/tests/fuzz/version_fuzz.cpp" \
    "$ROOT/tools/pe_reader/pe_version.cpp" "$ROOT/src/versioninfo/pe_resources.cpp" \
    "$ROOT/src/versioninfo/version_scan.cpp" "$ROOT/src/versioninfo/version_label.cpp" "$ROOT/src/shared/text.cpp" \
    -o "$WORK/version_fuzz"

rm -rf "$WORK/corpus"
mkdir "$WORK/corpus"
n=0
for seed in "$@"; do
    if [ -f "$seed" ]; then
        n=$((n + 1))
        cp "$seed" "$WORK/corpus/seed$n-$(basename "$seed")"
    fi
done
echo "# $n seed files"

exec "$WORK/version_fuzz" -max_total_time="$DURATION" ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} \
    -max_len="${FUZZ_MAX_LEN:-65536}" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$WORK/" "$WORK/corpus"
