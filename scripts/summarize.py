#!/usr/bin/env python3
"""Counts the individual test cases of a test run and prints one summary line.

For every test that CTest ran (from its --output-junit file <build>/ctest-junit.xml), the cases
are taken from the test's own result file <build>/results/<test name>.xml when there is one
(GoogleTest XML, or the JUnit XML of the end-to-end runner); otherwise the CTest test counts as
one case. A test that CTest saw fail although its result file shows no failed case (a crash
after the last case, a time-out, a sanitizer report at exit) adds one failed case.

    summarize.py [--build-failed] BUILD_DIR...

Last line of the output: "Total: N passed, M failed" (", K skipped" when K > 0).
Exit status 1 when anything failed.
"""

import argparse
import os
import sys
import xml.etree.ElementTree as ET


class Counts:
    def __init__(self):
        self.passed = 0
        self.failed = 0
        self.skipped = 0
        self.failures = []  # names of failed cases

    def add(self, outcome, name):
        if outcome == "passed":
            self.passed += 1
        elif outcome == "skipped":
            self.skipped += 1
        else:
            self.failed += 1
            self.failures.append(name)


def case_outcome(case):
    """Outcome of one <testcase> of GoogleTest XML, JUnit XML or CTest's JUnit output."""
    if case.find("failure") is not None or case.find("error") is not None:
        return "failed"
    status = case.get("status", "")
    result = case.get("result", "")
    if status in ("fail", "failed"):
        return "failed"
    if case.find("skipped") is not None or status in ("notrun", "disabled", "skipped") or result in (
            "skipped", "suppressed"):
        return "skipped"
    return "passed"


def read_cases(path, ctest=False):
    """[(name, outcome)] of every test case in a result file; None when unreadable. For CTest's
    own file the name is the CTest test's name."""
    try:
        root = ET.parse(path).getroot()
    except (ET.ParseError, OSError):
        return None
    out = []
    for case in root.iter("testcase"):
        if ctest:
            name = case.get("name", "")
        else:
            name = ".".join(p for p in (case.get("classname"), case.get("name")) if p)
        out.append((name, case_outcome(case)))
    return out


def summarize_build(build_dir, counts, notes):
    ctest_cases = read_cases(os.path.join(build_dir, "ctest-junit.xml"), ctest=True)
    if ctest_cases is None:
        notes.append(f"{build_dir}: no CTest results (tests not run)")
        return
    results = os.path.join(build_dir, "results")
    for test_name, ctest_outcome in ctest_cases:
        cases = read_cases(os.path.join(results, test_name + ".xml"))
        if cases is None or not cases:
            # No own result file: a test without one, or a program that died before writing it.
            counts.add(ctest_outcome, test_name)
            continue
        for name, outcome in cases:
            counts.add(outcome, f"{test_name}: {name}")
        if ctest_outcome == "failed" and not any(o == "failed" for _, o in cases):
            counts.add("failed", f"{test_name} (process failed after its cases: crash, time-out or sanitizer)")


def main(argv=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dirs", nargs="*")
    parser.add_argument("--build-failed", action="append", default=[], metavar="WHAT",
                        help="count a failed build step as one failed case")
    args = parser.parse_args(argv)
    counts = Counts()
    notes = []
    for what in args.build_failed:
        counts.add("failed", f"build: {what}")
    for d in args.build_dirs:
        summarize_build(d, counts, notes)
    for n in notes:
        print(n)
    if counts.failures:
        print("Failed:")
        for f in counts.failures:
            print(f"  {f}")
    line = f"Total: {counts.passed} passed, {counts.failed} failed"
    if counts.skipped:
        line += f", {counts.skipped} skipped"
    print(line)
    return 1 if counts.failed else 0


if __name__ == "__main__":
    sys.exit(main())
