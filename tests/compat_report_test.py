#!/usr/bin/python3
"""The comparison of bench/compat_report.py on made-up outputs of
kalvex_compat.exe: what counts as the same, what as a difference, and that
a failed calibration or a regsvr32 of the other bitness fails the run."""

import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench"))
import compat_report  # noqa: E402

GOOD_CLASS = "HKCU\\Software\\Classes\\CLSID\\{4B9E2C61-7D3A-4F15-9A8E-2C6D0B5F7E13}"


def output(steps, changes=(), ended=True, child=True):
    """A run's output: steps as (step, outcome, code, detail), changes as
    (step, kind, fields...)."""
    lines = ["library\tC:\\x.dll", "mode\tm", "root\tHKLM", "tool\tt", "snapshot\tbefore\t10\t20\t1.0"]
    for step, outcome, code, detail in steps:
        lines.append("step\t%s\t%s\t%s\t%s\t1.0" % (step, outcome, code, detail))
        if child:
            lines.append("child\t%s\t%s" % (step, child if isinstance(child, str) else "same bitness"))
        lines.append("snapshot\tafter\t10\t20\t1.0")
        lines += ["change\t" + "\t".join(c) for c in changes if c[0] == step]
    if ended:
        lines.append("end")
    return "\n".join(lines) + "\n"


def completed(step):
    return (step, "completed", "-", "x")


class Work:
    """A work folder as bench/compat.sh leaves it."""

    def __init__(self, folder):
        self.folder = folder
        self.names = []
        for mode in ("engine", "regsvr32"):
            os.makedirs(os.path.join(folder, mode))
        # The calibration as the real components give it.
        good = [("register", "+key", GOOD_CLASS), ("unregister", "-key", GOOD_CLASS)]
        for name, _, register, unregister in compat_report.CALIBRATION:
            for mode in ("engine", "regsvr32"):
                steps = []
                for step, (words, code) in (("register", register), ("unregister", unregister)):
                    if mode == "regsvr32" and code.startswith("0x8"):
                        code = "-"  # regsvr32 does not tell a failing result
                    steps.append((step, words, code, "x"))
                self.write(mode, "cal-" + name, output(steps, good if name == "kvx_good.ocx" else ()), 0)

    def write(self, mode, name, text, status):
        base = os.path.join(self.folder, mode, name)
        with open(base + ".out", "w") as f:
            f.write(text)
        with open(base + ".rc", "w") as f:
            f.write("%d\n" % status)

    def library(self, name, engine, regsvr32, engine_status=0, regsvr32_status=0):
        self.names.append(name)
        self.write("engine", name, engine, engine_status)
        self.write("regsvr32", name, regsvr32, regsvr32_status)

    def report(self, situation="x64"):
        for listing in ("libraries.txt", "corpus.txt"):
            with open(os.path.join(self.folder, listing), "w") as f:
                f.write("\n".join(self.names) + "\n")
        tool = os.path.join(self.folder, "tool.exe")
        with open(tool, "wb") as f:
            f.write(b"MZ")
        doc = os.path.join(self.folder, "report.md")
        args = compat_report.argparse.Namespace(
            command="report", work=self.folder, situation=situation, folder="C:\\windows\\system32", wine="wine-test",
            tool=tool, source=self.folder, reasons=os.path.join(self.folder, "reasons.txt"), output=doc, only="",
            sample=0, seconds=1, run_seconds=1, through="engine", where="")
        with contextlib.redirect_stdout(io.StringIO()) as printed:
            status = compat_report.report(args)
        with open(doc, encoding="utf-8") as f:
            return status, f.read(), printed.getvalue()


class CompareTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.work = Work(self.tmp.name)

    def tearDown(self):
        self.tmp.cleanup()

    def test_same_runs_and_an_untold_failure_code_agree(self):
        key = ("unregister", "-key", "HKLM\\Software\\Classes\\CLSID\\{1}")
        value = ("unregister", "-value", "HKLM\\Software\\Classes\\CLSID\\{1}", "(default)", 'REG_SZ "a"')
        self.work.library("a.dll", output([completed("register"), completed("unregister")], [key, value]),
                          output([completed("register"), completed("unregister")], [value, key]))
        self.work.library("b.dll", output([("register", "failed", "0x80040154", "x"), completed("unregister")]),
                          output([("register", "failed", "-", "exit code 0x00000005"), completed("unregister")]))
        status, doc, printed = self.work.report()
        self.assertEqual(status, 0, printed)
        self.assertIn("| Same outcome and same changes | 2 |", doc)
        self.assertIn("## Differences\n\nNone.", doc)

    def test_each_kind_of_difference_is_reported(self):
        both = [completed("register"), completed("unregister")]
        key = ("register", "+key", "HKLM\\Software\\Classes\\CLSID\\{2}")
        old = ("register", "~value", "HKLM\\K", "v", "REG_DWORD 0x00000001", "REG_DWORD 0x00000000")
        new = ("register", "~value", "HKLM\\K", "v", "REG_DWORD 0x00000002", "REG_DWORD 0x00000000")
        self.work.library("codes.dll", output([("register", "failed", "0xC0000005", "x"), completed("unregister")]),
                          output([("register", "failed", "0x80004005", "x"), completed("unregister")]))
        self.work.library("outcome.dll", output(both),
                          output([("register", "timed-out", "-", "x"), completed("unregister")]))
        self.work.library("keys.dll", output(both, [key]), output(both))
        self.work.library("values.dll", output(both, [old]), output(both, [new]))
        # The engine's process ended after registering: its unregistration never ran.
        self.work.library("ended.dll", output([completed("register")], ended=False), output(both), engine_status=5)
        status, doc, printed = self.work.report()
        self.assertEqual(status, 1)
        for name in ("codes.dll", "outcome.dll", "keys.dll", "values.dll", "ended.dll"):
            self.assertIn("# differs: " + name, printed)
            self.assertIn("### `%s`" % name, doc)
        self.assertIn("| Same outcome in both steps | 2 |", doc)  # keys.dll and values.dll
        self.assertIn("| Same keys added and removed in both steps | 4 |", doc)  # all but keys.dll
        self.assertIn("| Same registry changes, values included, in both steps | 3 |", doc)
        self.assertIn("unregister: A not run, B completed **(differs)**", doc)
        self.assertIn("Reason: **not investigated yet**", doc)

    def test_a_reason_is_written_under_its_difference(self):
        with open(os.path.join(self.tmp.name, "reasons.txt"), "w") as f:
            f.write("# comment\ni686-win32 x.dll not this situation\n* x.dll Found with a trace.\n")
        self.work.library("x.dll", output([completed("register"), completed("unregister")]),
                          output([completed("register"), ("unregister", "load-failure", "-", "x")]))
        _, doc, _ = self.work.report()
        self.assertIn("Reason: Found with a trace.", doc)

    def test_a_folding_reason_explains_only_the_difference_it_folds_away(self):
        provider = "HKLM\\Software\\Wow6432Node\\Provider"
        both = [completed("register"), completed("unregister")]

        def image(folder):
            return 'REG_SZ "C:\\windows\\%s\\rsaenh.dll"' % folder

        def renamed(after, before):
            return ("register", "~value", provider, "Image Path", image(after), image(before))

        def removed(folder):
            return ("unregister", "-value", provider, "Image Path", image(folder))

        rows = [
            # B renames the value at register, A leaves it; both remove it at unregister.
            {"name": "renamed", "situation": "i686-wow64", "a_steps": both, "a": [removed("system32")],
             "b": [renamed("syswow64", "system32"), removed("syswow64")], "explained": True},
            {"name": "case", "situation": "i686-wow64", "a_steps": both, "a": [removed("System32")],
             "b": [removed("syswow64")], "explained": True},
            {"name": "other data", "situation": "i686-wow64", "a_steps": both, "a": [removed("system32")],
             "b": [renamed("syswow64", "system"), removed("syswow64")], "explained": False},
            {"name": "one more change", "situation": "i686-wow64", "a_steps": both, "a": [],
             "b": [removed("syswow64")], "explained": False},
            {"name": "outcome", "situation": "i686-wow64",
             "a_steps": [("register", "failed", "0x80004005", "x"), completed("unregister")],
             "a": [removed("system32")], "b": [removed("syswow64")], "explained": False},
            {"name": "other situation", "situation": "i686-win32", "a_steps": both, "a": [removed("system32")],
             "b": [removed("syswow64")], "explained": False},
        ]
        for row in rows:
            with self.subTest(row["name"]), tempfile.TemporaryDirectory() as folder:
                work = Work(folder)
                with open(os.path.join(folder, "reasons.txt"), "w") as f:
                    f.write("i686-wow64 r.dll ~\\system32\\=\\syswow64\\ The loader names it so.\n")
                work.library("r.dll", output(row["a_steps"], row["a"]), output(both, row["b"]))
                status, doc, printed = work.report(row["situation"])
                self.assertEqual(status, 0 if row["explained"] else 1, printed)
                self.assertEqual("# explained: r.dll" in printed, row["explained"])
                self.assertEqual("Explained: the changes are the same" in doc, row["explained"])
                if row["situation"] == "i686-wow64":
                    self.assertIn("Reason: The loader names it so.", doc)

    def test_a_failed_calibration_fails_the_run(self):
        # regsvr32's exit codes 3 and 4 read the wrong way round.
        self.work.write("regsvr32", "cal-kvx_text.ocx",
                        output([("register", "no-entry-point", "-", "x"), ("unregister", "no-entry-point", "-", "x")]),
                        0)
        self.work.library("a.dll", output([completed("register"), completed("unregister")]),
                          output([completed("register"), completed("unregister")]))
        status, doc, printed = self.work.report()
        self.assertEqual(status, 1)
        self.assertIn("calibration FAILED", printed)
        self.assertIn("| `kvx_text.ocx` | a text file named .ocx | load failure / load failure | load failure / "
                      "load failure | no entry point / no entry point | **no** |", doc)

    def test_a_calibration_class_missing_from_the_snapshots_fails_the_run(self):
        # The class kvx_good.ocx registers must show up, the same way in both.
        steps = [completed("register"), completed("unregister")]
        self.work.write("engine", "cal-kvx_good.ocx", output(steps), 0)
        self.work.library("a.dll", output(steps), output(steps))
        status, doc, _ = self.work.report()
        self.assertEqual(status, 1)
        self.assertIn("| `kvx_good.ocx` | registers a class under HKCU | completed / completed | completed / "
                      "completed | completed / completed | **no** |", doc)

    def test_regsvr32_of_the_other_bitness_fails_the_run(self):
        self.work.library("a.dll", output([completed("register"), completed("unregister")], child=False),
                          output([completed("register"), completed("unregister")], child="other bitness"))
        status, doc, _ = self.work.report()
        self.assertEqual(status, 1)
        self.assertIn("another bitness than the tool for: a.dll", doc)


class SelectTest(unittest.TestCase):
    def test_sample_is_evenly_spaced_and_starts_with_the_first(self):
        names = ["n%03d" % i for i in range(169)]
        sample = compat_report.select(names, 10, "")
        self.assertEqual(sample, [names[i] for i in (0, 16, 33, 50, 67, 84, 101, 118, 135, 152)])
        self.assertEqual(compat_report.select(names, 0, ""), names)
        self.assertEqual(compat_report.select(names, 500, ""), names)

    def test_only_keeps_the_list_order_and_ignores_case(self):
        names = ["a.dll", "B.dll", "c.ocx"]
        self.assertEqual(compat_report.select(names, 1, "C.OCX,a.dll"), ["a.dll", "c.ocx"])


if __name__ == "__main__":
    unittest.main()
