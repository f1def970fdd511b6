#!/usr/bin/env python3
"""Checks that the sources keep their floors: a file includes only files of
its own folder and of folders on floors below its own, never one above or
beside it. Prints every include that breaks this and exits 1 if there is any.

    src/main.cpp                                   floor 4
    src/window/                                    floor 3
    src/numbered_buttons/ src/engine/
    src/versioninfo/ src/system_questions/         floor 2
    src/diagnosis/                                 floor 1.5
    src/shared/                                    floor 1

Usage: scripts/check_layers.py [source folder, default: src next to this script]
"""
import os
import re
import sys

FLOORS = {
    "": 4,
    "window": 3,
    "numbered_buttons": 2,
    "engine": 2,
    "versioninfo": 2,
    "system_questions": 2,
    "diagnosis": 1.5,
    "shared": 1,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path, src):
    """The folder below src that holds `path` ("" for src itself)."""
    relative = os.path.relpath(path, src)
    return relative.split(os.sep)[0] if os.sep in relative else ""


def check(src):
    faults = []
    for root, _, names in os.walk(src):
        for name in sorted(names):
            if not name.endswith((".c", ".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            own = folder_of(path, src)
            if own not in FLOORS:
                faults.append(f"{path}: folder {own}/ has no floor (add it to {__file__})")
                continue
            with open(path, encoding="utf-8") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    # Quoted includes name a file beside the includer or one below src.
                    target = os.path.join(root, match.group(1))
                    if not os.path.exists(target):
                        target = os.path.join(src, match.group(1))
                    if not os.path.exists(target):
                        faults.append(f"{path}:{number}: includes {match.group(1)}, which is not in {src}")
                        continue
                    other = folder_of(os.path.normpath(target), src)
                    if other == own:
                        continue
                    if other not in FLOORS or FLOORS[other] >= FLOORS[own]:
                        where = "above" if FLOORS.get(other, 99) > FLOORS[own] else "beside"
                        faults.append(f"{path}:{number}: includes {match.group(1)}, from a folder {where} its own")
    return faults


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src"))
    faults = check(src)
    for fault in faults:
        print(fault)
    print(f"layers: {'clean' if not faults else f'{len(faults)} include(s) out of place'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
