#!/bin/sh
# Checks the shipped program: a 32-bit (PE32, Intel 80386) image of at most
# 320 KiB that imports nothing but libraries Windows always takes from its
# system folder, with its manifest, its icon and its version block.
# Usage: pe_image_check.sh <kalvex.exe>
set -u
EXE=${1:?usage: pe_image_check.sh <kalvex.exe>}
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
fail=0

[ -f "$EXE" ] || { echo "not ok - $EXE missing"; exit 1; }
dump=$("$OBJDUMP" -p "$EXE") || { echo "not ok - objdump failed"; exit 1; }

if echo "$dump" | grep -q "file format pei-i386" && echo "$dump" | grep -Eq "^Magic[[:space:]]+010b"; then
    echo "ok - PE32 image for Intel 80386"
else
    echo "not ok - not a PE32 i386 image"; fail=1
fi

size=$(wc -c <"$EXE")
if [ "$size" -le 327680 ]; then
    echo "ok - size $size bytes (limit 327680)"
else
    echo "not ok - size $size bytes exceeds 327680"; fail=1
fi

if echo "$dump" | grep -Eq "^Subsystem[[:space:]]+0*2[[:space:]]"; then
    echo "ok - Windows GUI subsystem"
else
    echo "not ok - not a GUI program"; fail=1
fi

# Only libraries that Windows always takes from its system folder (its
# "known DLLs"); any other import would be looked for beside the program
# first, where anyone can leave a file of that name.
allowed="kernel32.dll user32.dll gdi32.dll shell32.dll advapi32.dll msvcrt.dll ole32.dll"
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "not ok - no import table found"; fail=1; }
for dll in $imports; do
    case " $allowed " in
        *" $dll "*) echo "ok - imports $dll" ;;
        *) echo "not ok - imports $dll, which Windows may take from the program's folder"; fail=1 ;;
    esac
done

# The embedded manifest asks for no elevation and declares DPI awareness. It
# leaves the ANSI code page alone: a component registered inside the program
# must see the system's, as under the platform's own registration tool.
STRINGS=${STRINGS:-strings}
manifest=$("$STRINGS" -a "$EXE")
for want in 'level="asInvoker"' '>true</dpiAware>'; do
    if echo "$manifest" | grep -qF "$want"; then
        echo "ok - manifest has $want"
    else
        echo "not ok - manifest lacks $want"; fail=1
    fi
done
if echo "$manifest" | grep -qF 'activeCodePage'; then
    echo "not ok - manifest sets the ANSI code page (activeCodePage)"; fail=1
else
    echo "ok - manifest leaves the ANSI code page to the system"
fi
# What Explorer shows of the file: its icon, and its version block with the
# makers' name.
PYTHON=${KALVEX_PYTHON3:-/usr/bin/python3}
if "$PYTHON" - "$EXE" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
types = {e.id for e in pe.DIRECTORY_ENTRY_RESOURCE.entries}
strings = {k: v for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
           for table in info.StringTable for k, v in table.entries.items()}
sys.exit(0 if 14 in types and strings.get(b"CompanyName") == b"The Kalvex developers" else 1)
PY
then
    echo "ok - icon, and a version block by The Kalvex developers"
else
    echo "not ok - no icon, or no version block naming The Kalvex developers"; fail=1
fi
exit $fail
