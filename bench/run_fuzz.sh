#!/bin/sh
# Runs the version fuzzer long: at least 10 million executions of the PE
# reader and the version scan (built without sanitizers for speed; the test
# command runs them sanitized; inputs up to 16 KiB), and reports the count and the
# coverage reached, also in docs/fuzzing.md. Usage: bench/run_fuzz.sh [executions]
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-10000000}
WORK=$(mktemp -d /tmp/kalvex-fuzz.XXXXXX)
trap 'rm -rf "$WORK"' EXIT INT TERM
FUZZ_SANITIZERS= FUZZ_RUNS=$RUNS FUZZ_MAX_LEN=16384 \
    sh "$ROOT/tests/fuzz/run_fuzz.sh" 36000 "$WORK" >"$WORK/log.txt" 2>&1 || {
    tail -n 40 "$WORK/log.txt"
    exit 1
}
done=$(sed -n 's/^stat::number_of_executed_units: *//p' "$WORK/log.txt")
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$WORK/log.txt")
coverage=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE).*cov: ' "$WORK/log.txt" | tail -n 1 | sed 's/.*cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/')
line="version fuzzer: $done executions ($speed a second), coverage $coverage, no findings"
echo "$line"
{
    echo "# Fuzzing"
    echo
    echo "Measured by \`bench/run_fuzz.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores:"
    echo "$line."
} >"$ROOT/docs/fuzzing.md"
