#!/usr/bin/env python3
"""Start-up, phase by phase: reads the time marks that kalvex_startup_phases.exe
and kalvex_bare_window.exe write ("<phase>\t<ms since the process was
created>" lines, one file a start) and prints a Markdown table of each
phase's median length for both, and the medians of the whole.

Usage: startup_breakdown.py <kalvex mark files>... -- <bare mark files>..."""
import statistics
import sys


def phases(path):
    """The phases of one start in order, each with its length in ms."""
    lengths, previous = {}, 0.0
    with open(path, encoding="utf-8", errors="replace") as marks:
        for line in marks:
            name, _, at = line.rstrip("\r\n").rpartition("\t")
            if name:
                lengths[name] = lengths.get(name, 0.0) + float(at) - previous
                previous = float(at)
    return lengths


def medians(paths):
    starts = [phases(p) for p in paths]
    names = list(starts[0]) if starts else []
    table = {n: statistics.median(s.get(n, 0.0) for s in starts) for n in names}
    return names, table, statistics.median(sum(s.values()) for s in starts) if starts else 0.0


def main(argv):
    split = argv.index("--")
    names, kalvex, kalvex_total = medians(argv[:split])
    bare_names, bare, bare_total = medians(argv[split + 1:])
    print("| Phase (median of %d starts each, ms) | kalvex.exe | bare window |" % (split))
    print("|---|---|---|")
    for name in names + [n for n in bare_names if n not in names]:
        cell = lambda table: "%.1f" % table[name] if name in table else "–"
        print("| %s | %s | %s |" % (name, cell(kalvex), cell(bare)))
    print("| **the whole start** (median of the sums) | **%.1f** | **%.1f** |" % (kalvex_total, bare_total))
    print("| ratio kalvex / bare | %.2f | |" % (kalvex_total / bare_total if bare_total else 0.0))


if __name__ == "__main__":
    main(sys.argv[1:])
