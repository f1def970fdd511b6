#!/bin/sh
# Static checks: the sources follow .clang-format, and clang-tidy (with
# .clang-tidy) finds nothing, both in the portable code (native build) and
# in the Windows code (i686 build, with MinGW-w64's headers): the program's
# Win32 side, the driver and the programs that link it, the test components.
# Usage: scripts/lint.sh [build folder]   (build first)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
cd "$ROOT"
status=0

if git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror; then
    echo "lint: clang-format clean"
else
    echo "lint: clang-format found differences (run clang-format -i on them)"
    status=1
fi

# MinGW-w64's C++ headers, which clang does not find on its own.
mingw_args=$(echo | i686-w64-mingw32-g++ -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | grep '^ /' |
    sed 's/^ */--extra-arg=-isystem/' | tr '\n' ' ')

tidy() {
    # $1: compile database folder; the rest: files
    db=$1
    shift
    printf '%s\n' "$@" | xargs -P "$(nproc)" -n 4 clang-tidy --quiet -p "$db" $extra >"$BUILD/tidy.log" 2>&1 || true
    if grep -E 'warning:|error:' "$BUILD/tidy.log"; then status=1; fi
}

native=$(git ls-files 'src/*.cpp' 'tools/*.cpp' 'tests/unit/*.cpp' 'tests/fuzz/*.cpp' | grep -v -E '(^|/)win32_|src/main.cpp|tests/fuzz/')
extra=""
tidy "$BUILD" $native
windows=$(git ls-files 'src/*.cpp' 'driver/*.cpp' 'tests/e2e/*.cpp' 'bench/*.cpp' 'scripts/*.cpp' 'tests/components/*.c' |
    grep -E '(^|/)win32_|src/main.cpp|driver/|tests/e2e/|bench/|scripts/|tests/components/')
extra="$mingw_args --extra-arg=--target=i686-w64-mingw32"
tidy "$BUILD/windows-i686" $windows

[ $status -eq 0 ] && echo "lint: clang-tidy clean"
exit $status
