#!/usr/bin/env python3
"""Compares the version scan with an independent reader (python3-pefile) over
real PE files, and checks that spoiled copies of one give no version.

Usage: version_real_files.py <version_dump> [--sample N] [--folder DIR]... FILE...
Each folder that exists contributes an evenly spread sample of N of its files
(default 60); named files must exist.
"""
import os
import subprocess
import sys
import tempfile

try:
    import pefile
except ImportError:
    sys.exit("python3-pefile is missing (scripts/setup.sh installs it)")

RESOURCE = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]


def as_scanned(value):
    """pefile's text as the scan gives it: UTF-8 (pefile's own bytes)."""
    return value


def load(path):
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(directories=[RESOURCE])
        return pe
    except pefile.PEFormatError:
        return None


def expected(path):
    """(result, company or None, version) by pefile, from the first version
    resource, each key's first string table that has it."""
    pe = load(path)
    found = {}
    for info in (getattr(pe, "FileInfo", None) or [])[:1]:
        for part in info:
            for table in getattr(part, "StringTable", []):
                for key in (b"CompanyName", b"ProductVersion"):
                    if key in table.entries and key not in found:
                        found[key] = as_scanned(table.entries[key])
    version = found.get(b"ProductVersion", b"")
    return (-1 if version.strip(b" ") else 0), found.get(b"CompanyName"), version


def unescape(field):
    return field.encode("latin-1").decode("unicode_escape").encode("latin-1")


def dump(tool, paths):
    out = subprocess.run([tool] + paths, check=True, stdout=subprocess.PIPE).stdout.decode("latin-1")
    rows = {}
    for line in out.splitlines():
        path, result, company, version = line.split("\t")
        rows[unescape(path).decode("latin-1")] = (int(result), unescape(company), unescape(version))
    return rows


def sample(folder, count):
    names = sorted(n for n in os.listdir(folder) if os.path.isfile(os.path.join(folder, n)))
    step = max(1, len(names) // count)
    return [os.path.join(folder, n) for n in names[::step][:count]]


def spoiled_copies(path, workdir):
    """Copies of a file with a version block, each spoiled so that its block
    can no longer be found: (name, path)."""
    data = open(path, "rb").read()
    pe = load(path)
    version_type = next(e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == 16)
    leaf = version_type.directory.entries[0].directory.entries[0].data.struct
    block_end = pe.get_offset_from_rva(leaf.OffsetToData) + leaf.Size
    type_entry = version_type.struct.get_file_offset()
    directory = pe.OPTIONAL_HEADER.DATA_DIRECTORY[RESOURCE].get_file_offset()
    copies = {"cut_%d" % n: data[:n] for n in (0, 2, 0x40, pe.DOS_HEADER.e_lfanew + 24, block_end // 2, block_end - 1)}
    copies["resources_outside"] = data[:directory] + (0x7FFF0000).to_bytes(4, "little") + data[directory + 4:]
    copies["version_type_points_to_root"] = (
        data[:type_entry + 4] + (0x80000000).to_bytes(4, "little") + data[type_entry + 8:])
    result = []
    for name, content in copies.items():
        copy = os.path.join(workdir, name + ".dll")
        with open(copy, "wb") as f:
            f.write(content)
        result.append((name, copy))
    return result


def main(argv):
    tool, args, count, files = argv[1], argv[2:], 60, []
    while args:
        arg = args.pop(0)
        if arg == "--sample":
            count = int(args.pop(0))
        elif arg == "--folder":
            folder = args.pop(0)
            files += sample(folder, count) if os.path.isdir(folder) else []
        elif os.path.isfile(arg):
            files.append(arg)
        else:
            sys.exit("missing file " + arg)

    failures = 0
    with_version = 0
    rows = dump(tool, files)
    for path in files:
        want, got = expected(path), rows[path]
        same = got[0] == want[0] and got[2] == want[2] and (want[1] is None or got[1] == want[1])
        with_version += want[0] != 0
        if not same:
            failures += 1
            print("not ok - %s: scan %r, pefile %r" % (path, got, want))

    # Spoiled copies of the first file that has a version.
    source = next(p for p in files if rows[p][0] != 0)
    with tempfile.TemporaryDirectory() as workdir:
        copies = spoiled_copies(source, workdir)
        spoiled = dump(tool, [p for _, p in copies])
        for name, path in copies:
            if spoiled[path][0] != 0:
                failures += 1
                print("not ok - %s of %s still gives %r" % (name, source, spoiled[path]))

    print("%d files compared (%d with a product version), %d spoiled copies of %s, %d failures"
          % (len(files), with_version, len(copies), os.path.basename(source), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
