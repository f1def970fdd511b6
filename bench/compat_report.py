#!/usr/bin/python3
"""The Linux side of bench/compat.sh.

  compat_report.py list <folder>             libraries exporting DllRegisterServer
  compat_report.py select <list> <N> <only>  the N evenly spaced ones (0: all), or those named
  compat_report.py report --work ... --output <file>

report reads the outputs of kalvex_compat.exe (engine runs in <work>/engine,
regsvr32 runs in <work>/regsvr32), compares them and writes the Markdown
report. Its exit status is 0 when everything agrees, 1 otherwise.
"""

import argparse
import datetime
import hashlib
import os
import platform
import re
import statistics
import subprocess
import sys

STEPS = ("register", "unregister")

# The test components run first in both prefixes, with the outcome each must
# give in both modes: (outcome, code) per step; "-" means no code is told.
CALIBRATION = [
    ("kvx_good.ocx", "registers a class under HKCU", ("completed", "-"), ("completed", "-")),
    ("kvx_denied.ocx", "both entry points return E_ACCESSDENIED", ("failed", "0x80070005"), ("failed", "0x80070005")),
    ("kvx_noexports.dll", "a library without the entry points", ("no-entry-point", "-"), ("no-entry-point", "-")),
    ("kvx_text.ocx", "a text file named .ocx", ("load-failure", "-"), ("load-failure", "-")),
    ("kvx_missing.ocx", "a file that is not there", ("load-failure", "-"), ("load-failure", "-")),
    ("kvx_fault.ocx", "an access violation, then an exception of its own", ("failed", "0xC0000005"),
     ("failed", "0xE0564B58")),
]


def list_libraries(folder):
    import pefile  # python3-pefile

    names = []
    for name in sorted(os.listdir(folder), key=str.lower):
        path = os.path.join(folder, name)
        if not name.lower().endswith((".dll", ".ocx")) or not os.path.isfile(path):
            continue
        try:
            pe = pefile.PE(path, fast_load=True)
            pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]])
        except pefile.PEFormatError:
            continue
        exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
        # A forwarded export counts: the loader resolves it like any other.
        if exports and any(symbol.name == b"DllRegisterServer" for symbol in exports.symbols):
            names.append(name)
        pe.close()
    return names


def select(names, sample, only):
    if only:
        wanted = {n.lower() for n in only.split(",") if n}
        return [n for n in names if n.lower() in wanted]
    if sample <= 0 or sample >= len(names):
        return names
    return [names[i * len(names) // sample] for i in range(sample)]


class Run:
    """One kalvex_compat.exe run: its steps, snapshots and changes."""

    def __init__(self, folder, name):
        self.steps = {}
        self.snapshots = []
        self.changes = {step: [] for step in STEPS}
        self.ended = False
        self.tool = ""
        self.children = []  # regsvr32's bitness beside the tool's, per step
        base = os.path.join(folder, name)
        try:
            with open(base + ".rc") as f:
                self.status = int(f.read().strip() or "-1")
        except (OSError, ValueError):
            self.status = -1
        try:
            with open(base + ".out", encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except OSError:
            lines = []
        for line in lines:
            fields = line.split("\t")
            kind = fields[0]
            if kind == "step" and len(fields) >= 6:
                self.steps[fields[1]] = (fields[2], fields[3], fields[4])
            elif kind == "snapshot" and len(fields) >= 5:
                self.snapshots.append((fields[1], int(fields[2]), int(fields[3]), float(fields[4])))
            elif kind == "change" and len(fields) >= 4 and fields[1] in self.changes:
                self.changes[fields[1]].append("\t".join(fields[2:]))
            elif kind == "child" and len(fields) >= 3:
                self.children.append(fields[2])
            elif kind == "tool" and len(fields) >= 2:
                self.tool = fields[1]
            elif kind == "end":
                self.ended = True
        # A step the process never reached.
        for step in STEPS:
            if step not in self.steps:
                if self.status in (124, 137):
                    why = "the tool's process was ended after the script's time limit"
                else:
                    why = "the tool's process ended (status %d) before this step" % self.status
                self.steps[step] = ("not-run", "-", why)

    def keys(self, step):
        return {c for c in self.changes[step] if c.startswith(("+key", "-key"))}

    def key_counts(self, step):
        keys = self.keys(step)
        return sum(1 for k in keys if k[0] == "+"), sum(1 for k in keys if k[0] == "-")


def same_outcome(a, b):
    """Same words, and the same code where both tell one."""
    return a[0] == b[0] and (a[1] == "-" or b[1] == "-" or a[1] == b[1])


def shown_outcome(outcome):
    words, code, detail = outcome
    if words == "failed":
        if code != "-":
            return "failed " + code
        if detail.startswith("exit code "):
            return "failed (exit %d)" % int(detail[len("exit code "):], 16)
        return "failed"
    return words.replace("-", " ")


def exit_code(outcome):
    """regsvr32's raw exit code, where the words do not show it already."""
    detail = outcome[2]
    if outcome[0] == "failed" or not detail.startswith("exit code "):
        return ""
    return " (exit %d)" % int(detail[len("exit code "):], 16)


def read_reasons(path, situation):
    """The reasons for this situation: {library: (text, folding)}. A reason
    whose first word is ~<a>=<b> explains a difference only as far as it
    goes away once <a> and <b> are read as one name (case aside); its
    folding is then (a, b), else None."""
    reasons = {}
    try:
        with open(path, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                where, name, text = line.split(None, 2)
                if where not in ("*", situation):
                    continue
                folding = None
                first, _, rest = text.partition(" ")
                if first.startswith("~") and "=" in first:
                    folding = tuple(first[1:].split("=", 1))
                    text = rest.strip()
                reasons[name.lower()] = (text, folding)
    except OSError:
        pass
    return reasons


def folded_changes(changes, folding):
    """A run's change lines with every folding[0] read as folding[1]; a value
    changed only from one name to the other is then no change."""
    pattern = re.compile(re.escape(folding[0]) + "|" + re.escape(folding[1]), re.IGNORECASE)
    folded = []
    for line in changes:
        fields = pattern.sub(lambda _: folding[1], line).split("\t")
        if fields[0] == "~value" and len(fields) == 5 and fields[3] == fields[4]:
            continue
        folded.append("\t".join(fields))
    return sorted(folded)


def calibrate(work):
    rows = []
    ok = True
    for name, what, *expected in CALIBRATION:
        runs = {mode: Run(os.path.join(work, mode), "cal-" + name) for mode in ("engine", "regsvr32")}
        good = True
        for mode, run in runs.items():
            for step, want in zip(STEPS, expected):
                got = run.steps[step]
                if got[0] != want[0] or (got[1] != "-" and got[1] != want[1]):
                    good = False
        if name == "kvx_good.ocx":
            # It must show up in the registry, the same way both times.
            for step in STEPS:
                a, b = runs["engine"].changes[step], runs["regsvr32"].changes[step]
                if not a or sorted(a) != sorted(b):
                    good = False
        ok = ok and good
        cells = [" / ".join(shown_outcome(runs["engine"].steps[step]) for step in STEPS),
                 " / ".join(shown_outcome(runs["regsvr32"].steps[step]) + exit_code(runs["regsvr32"].steps[step])
                            for step in STEPS)]
        want = " / ".join(shown_outcome((w[0], w[1], "")) for w in expected)
        rows.append("| `%s` | %s | %s | %s | %s | %s |" % (name, what, want, cells[0], cells[1],
                                                             "yes" if good else "**no**"))
    return ok, rows


def git_revision(source):
    try:
        revision = subprocess.run(["git", "-C", source, "rev-parse", "--short", "HEAD"], capture_output=True,
                                  text=True, check=True).stdout.strip()
        dirty = subprocess.run(["git", "-C", source, "status", "--porcelain", "--untracked-files=no"],
                               capture_output=True, text=True, check=True).stdout.strip()
        return revision + (" with uncommitted changes" if dirty else "")
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


def spread(values, unit=" ms", digits=0):
    if not values:
        return "none"
    fmt = "%%.%df%%s" % digits
    return "median %s (%s – %s)" % (fmt % (statistics.median(values), unit), fmt % (min(values), unit),
                                    fmt % (max(values), unit))


def report(args):
    with open(os.path.join(args.work, "libraries.txt")) as f:
        names = f.read().split()
    with open(os.path.join(args.work, "corpus.txt")) as f:
        corpus = f.read().split()
    reasons = read_reasons(args.reasons, args.situation)
    calibrated, calibration_rows = calibrate(args.work)

    rows = []
    differences = []
    differing = set()
    explained = []
    outcomes = []
    same = {"outcome": 0, "keys": 0, "changes": 0, "all": 0}
    other_bitness = []
    snapshot_ms = []
    snapshot_size = None
    step_ms = {"engine": [], "regsvr32": []}
    for index, name in enumerate(names, 1):
        a = Run(os.path.join(args.work, "engine"), name)
        b = Run(os.path.join(args.work, "regsvr32"), name)
        for run in (a, b):
            snapshot_ms += [s[3] for s in run.snapshots]
            if run.snapshots and snapshot_size is None:
                snapshot_size = run.snapshots[0][1:3]
        if any(child != "same bitness" for child in b.children):
            other_bitness.append(name)
        outcome_same = all(same_outcome(a.steps[s], b.steps[s]) for s in STEPS)
        keys_same = all(a.keys(s) == b.keys(s) for s in STEPS)
        changes_same = all(sorted(a.changes[s]) == sorted(b.changes[s]) for s in STEPS)
        same["outcome"] += outcome_same
        same["keys"] += keys_same
        same["changes"] += changes_same
        same["all"] += outcome_same and changes_same
        text, folding = reasons.get(name.lower(), ("", None))
        folded_same = folding is not None and outcome_same and all(
            folded_changes(a.changes[s], folding) == folded_changes(b.changes[s], folding) for s in STEPS)
        if folded_same and not changes_same:
            explained.append(name)
        counts = []
        for step in STEPS:
            counts.append("+%d −%d / +%d −%d" % (a.key_counts(step) + b.key_counts(step)))
        if outcome_same and changes_same:
            verdict = "same"
        elif name in explained:
            verdict = "explained"
        else:
            verdict = "**differs**"
        rows.append("| %d | `%s` | %s | %s | %s | %s | %s | %s | %s |" % (
            index, name, shown_outcome(a.steps["register"]), shown_outcome(b.steps["register"]),
            shown_outcome(a.steps["unregister"]), shown_outcome(b.steps["unregister"]), counts[0], counts[1],
            verdict))
        outcomes.append((name, a, b))
        if not (outcome_same and changes_same):
            differences.append((name, a, b, outcome_same, keys_same))
            differing.add(name)

    total = len(names)
    out = []
    w = out.append
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    with open(args.tool, "rb") as f:
        tool_hash = hashlib.sha256(f.read()).hexdigest()[:16]
    if args.only:
        scope = "the libraries named with `--only` (%s)" % args.only
    elif 0 < args.sample < len(corpus):
        scope = "a sample of %d evenly spaced libraries of the sorted list" % total
    else:
        scope = "all of them"
    w("# Compatibility with regsvr32")
    w("")
    w("Measured by `bench/compat.sh` on %s, situation `%s`%s, under %s, on a machine with %d cores (%s)." % (
        when, args.situation, " (%s)" % args.where if args.where else "", args.wine, os.cpu_count() or 0,
        platform.machine()))
    w("Tool: `%s` (SHA-256 %s…), built from commit %s." % (os.path.relpath(args.tool, args.source), tool_hash,
                                                          git_revision(args.source)))
    w("")
    w("Corpus: the %d `.dll` and `.ocx` files in `%s` of a fresh prefix whose export table holds" % (
        len(corpus), args.folder))
    w("`DllRegisterServer` (read from Linux with python3-pefile; a forwarded export counts), sorted by name;")
    w("run here: %s, %d libraries." % (scope, total))
    w("The whole measurement took %d s, of which %d s were the library runs (both prefixes side by side;" % (
        args.seconds, args.run_seconds))
    w("load average %.1f at the end, other work included)." % os.getloadavg()[1])
    w("")
    w("## How")
    w("")
    w("Two twin prefixes are made the way the end-to-end harness makes its one (same Wine, `wineboot -i`,")
    w("unmanaged windows, no crash debugger), inside one Xvfb display. For each library, in the same order in")
    w("both, one process of `kalvex_compat.exe` (`bench/compat_runner.cpp`) takes a snapshot of the registry,")
    w("registers the library, takes a snapshot, unregisters it and takes a snapshot:")
    w("")
    if args.through == "window":
        w("- **A (window)**, in prefix A: the program itself, `C:\\kalvex\\kalvex.exe`, started once per library")
        w("  by the tool and driven through its window as a person does (the path written into the text box,")
        w("  Register or Unregister, Proceed, the notice closed); the snapshots are taken while it runs. The")
        w("  outcome's box is translated into the words below (\"File not found\" counts as a load failure).")
    else:
        w("- **A (engine)**, in prefix A: the program's own `RegistrationEngine::RegisterServer` with the real")
        w("  `Win32Modules`, in the tool's process, as `kalvex.exe` runs it (worker thread with OLE, 10 s wait).")
        w("  Its message is translated into the words below.")
    w("- **B (regsvr32)**, in prefix B: the prefix's own `regsvr32.exe /s [/u] \"<path>\"` of the tool's")
    w("  bitness, as a child process with a limit of 15 s (the engine's 10 s and 5 s to start and end).")
    w("  Its exit code is translated into the words below.")
    w("")
    w("A's two steps run in the one process, as they would in `kalvex.exe`; regsvr32 runs once per step.")
    w("")
    w("Wine's COM servers are already registered by `wineboot` in a fresh prefix, so registering them again")
    w("often changes nothing, and unregistering then removes keys. Each library stays unregistered after its")
    w("turn, so later libraries meet a registry without the earlier ones' keys; both prefixes go through the")
    w("same sequence, so like is compared with like.")
    w("")
    if snapshot_size:
        w("Snapshots: all of `HKLM` and `HKCU`, in the 64-bit view where Windows has one (`KEY_WOW64_64KEY`: a")
        w("32-bit tool sees its redirected keys under `Wow6432Node`), values included; symbolic link keys are recorded with their")
        w("target and not followed. The first snapshot held %d keys and %d values; a snapshot took %s" % (
            snapshot_size[0], snapshot_size[1], spread(snapshot_ms)))
        w("over all %d snapshots of both prefixes." % len(snapshot_ms))
    w("")
    w("Outcomes, in common words:")
    w("")
    w("| Words | Engine's message | regsvr32's exit code (found by trying, see the calibration) |")
    w("|---|---|---|")
    w("| completed | Process completed | 0 |")
    w("| failed *code* | Process failed with error code *code*. (a result with the high bit set, or the code of "
      "an exception that left the entry point) | 5 (entry point failed; its result is not told), or the code of "
      "an exception that ended the process |")
    w("| no entry point | Process failed in obtaining entry point or creating thread. | 4 |")
    w("| load failure | Failure loading control DLL | 3 (also for a missing file) |")
    w("| timed out | Process failed in signaled state or time-out. | the child outlived its limit and was ended |")
    w("| not run | the tool's process ended before the step | the same |")
    w("")
    w("Two outcomes are the same when their words are, and their codes where both tell one. Registry changes")
    w("are the same when both runs added and removed the same keys and added, removed and changed the same")
    w("values (names, types and data) in each step. Only the registry is compared: not files, not timing.")
    w("")
    w("## Calibration")
    w("")
    w("The test components with known behaviour, in both prefixes before the corpus (snapshots of")
    w("`HKCU\\Software\\Classes` only). Each must give the expected outcome in both modes, and `kvx_good.ocx` the")
    w("same registry changes in both.")
    w("")
    w("| Component | What it does | Expected (register / unregister) | A (%s) | B (regsvr32) | As expected |" % args.through)
    w("|---|---|---|---|---|---|")
    out.extend(calibration_rows)
    w("")
    w("## Results")
    w("")
    w("| | Libraries |")
    w("|---|---|")
    w("| Run | %d |" % total)
    w("| Same outcome in both steps | %d |" % same["outcome"])
    w("| Same keys added and removed in both steps | %d |" % same["keys"])
    w("| Same registry changes, values included, in both steps | %d |" % same["changes"])
    w("| Same outcome and same changes | %d |" % same["all"])
    w("| Differing, explained by the platform alone (see each reason) | %d |" % len(explained))
    w("| Differing, unexplained | %d |" % (len(differences) - len(explained)))
    w("")
    w("## Differences")
    w("")
    if not differences:
        w("None.")
        w("")
    for name, a, b, outcome_same, keys_same in differences:
        w("### `%s`" % name)
        w("")
        for step in STEPS:
            mark = "" if same_outcome(a.steps[step], b.steps[step]) else " **(differs)**"
            w("- %s: A %s, B %s%s" % (step, shown_outcome(a.steps[step]), shown_outcome(b.steps[step]), mark))
        for step in STEPS:
            only_a = sorted(set(a.changes[step]) - set(b.changes[step]))
            only_b = sorted(set(b.changes[step]) - set(a.changes[step]))
            if not only_a and not only_b:
                continue
            w("- %s: %d change lines only in A, %d only in B%s:" % (
                step, len(only_a), len(only_b), "" if keys_same else " (keys differ)"))
            w("")
            w("  ```")
            for sign, lines in (("A", only_a), ("B", only_b)):
                for line in lines[:12]:
                    w("  %s %s" % (sign, line.replace("\t", "  ")))
                if len(lines) > 12:
                    w("  %s … %d more" % (sign, len(lines) - 12))
            w("  ```")
        w("")
        text, folding = reasons.get(name.lower(), ("**not investigated yet**", None))
        if name in explained:
            w("Explained: the changes are the same once `%s` and `%s` are read as one name." % folding)
            w("")
        elif folding is not None:
            w("**Not explained**: the changes still differ once `%s` and `%s` are read as one name, or the outcomes"
              " do." % folding)
            w("")
        w("Reason: %s" % text)
        w("")
    w("## Outcomes other than completed, the same in both")
    w("")
    w("As the engine tells them (regsvr32 gave the same words, without the failing result's code).")
    w("")
    shared = [(name, a) for name, a, b in outcomes
              if name not in differing and any(a.steps[step][0] != "completed" for step in STEPS)]
    if not shared:
        w("None.")
        w("")
    for name, a in shared:
        w("- `%s`: register %s, unregister %s. %s" % (
            name, shown_outcome(a.steps["register"]), shown_outcome(a.steps["unregister"]),
            reasons.get(name.lower(), ("Reason: **not investigated yet**", None))[0]))
    if shared:
        w("")
    w("## Every library")
    w("")
    w("Register A / B and Unregister A / B: each step's outcome with the engine (A) and with regsvr32 (B).")
    w("Keys at register / unregister: keys the step added (+) and removed (−), in A / in B. The last column says")
    w("whether outcomes and registry changes were all the same.")
    w("")
    w("| # | Library | Register A | Register B | Unregister A | Unregister B | Keys at register | "
      "Keys at unregister | |")
    w("|---|---|---|---|---|---|---|---|---|")
    out.extend(rows)
    w("")
    if not calibrated:
        w("**The calibration failed: the figures above are not to be trusted.**")
        w("")
    if other_bitness:
        w("**regsvr32 ran with another bitness than the tool for: %s.**" % ", ".join(other_bitness))
        w("")

    with open(args.output, "w", encoding="utf-8") as f:
        f.write("\n".join(out))
    print("# compat %s: calibration %s; %d of %d libraries the same, %d differ (%d of them explained)" % (
        args.situation, "as expected" if calibrated else "FAILED", same["all"], total, len(differences),
        len(explained)))
    for name, a, b, _, _ in differences:
        print("# %s: %s (register A %s, B %s; unregister A %s, B %s)" % (
            "explained" if name in explained else "differs", name, shown_outcome(a.steps["register"]),
            shown_outcome(b.steps["register"]),
            shown_outcome(a.steps["unregister"]), shown_outcome(b.steps["unregister"])))
    if other_bitness:
        print("# regsvr32 ran with another bitness than the tool for: %s" % " ".join(other_bitness))
    unexplained = len(differences) - len(explained)
    return 0 if calibrated and not unexplained and not other_bitness else 1


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "list":
        print("\n".join(list_libraries(sys.argv[2])))
        return 0
    if len(sys.argv) >= 4 and sys.argv[1] == "select":
        with open(sys.argv[2]) as f:
            names = f.read().split()
        chosen = select(names, int(sys.argv[3]), sys.argv[4] if len(sys.argv) > 4 else "")
        print("\n".join(chosen))
        return 0 if chosen else 2
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["report"])
    for option in ("--work", "--situation", "--folder", "--wine", "--tool", "--source", "--reasons", "--output"):
        parser.add_argument(option, required=True)
    parser.add_argument("--only", default="")
    parser.add_argument("--through", choices=["engine", "window"], default="engine")
    parser.add_argument("--where", default="")
    parser.add_argument("--sample", type=int, default=0)
    parser.add_argument("--seconds", type=int, default=0)
    parser.add_argument("--run-seconds", type=int, default=0)
    return report(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())
