#!/usr/bin/env python3
"""Counts the individual test cases of a test run, checks that the run really tested, and prints
one summary line.

For every test that CTest ran (from its --output-junit file <build>/ctest-junit.xml), the cases
are taken from the test's own result file <build>/results/<test name>.xml when there is one
(GoogleTest XML, or the JUnit XML of the end-to-end runner); otherwise the CTest test counts as
one case. A test that CTest saw fail although its result file shows no failed case (a crash
after the last case, a time-out, a sanitizer report at exit) adds one failed case.

The gate: each of the following counts as one more failed case, so that a run which tested
nothing, or less than it should, cannot pass:
  - a build directory given without ctest-junit.xml (its tests did not run), or with no test;
  - a CTest test that did not run (its program is missing, or it is disabled);
  - --ctest-failed DIR while no failed case of DIR explains it;
  - a skipped case that the --allowed-skips file does not list (it counts as failed, not skipped);
  - no case passed, or fewer passed than the number in the --floor file;
  - a --require file that does not exist.

    summarize.py [--build-failed WHAT]... [--ctest-failed DIR]... [--floor FILE]
                 [--allowed-skips FILE] [--require FILE]... BUILD_DIR...

Last line of the output: "Total: N passed, M failed" (", K skipped" when K > 0).
Exit status 1 when anything failed.
"""

import argparse
import fnmatch
import os
import sys
import xml.etree.ElementTree as ET


class Counts:
    def __init__(self, allowed_skips):
        self.passed = 0
        self.failed = 0
        self.skipped = 0
        self.failures = []  # names of failed cases, with the reason
        self.allowed_skips = allowed_skips  # [(case name glob, start of the skip message)]

    def add(self, outcome, name, message=""):
        if outcome == "passed":
            self.passed += 1
        elif outcome == "skipped" and self.skip_allowed(name, message):
            self.skipped += 1
        else:
            self.failed += 1
            if outcome == "skipped":
                name += f" (skipped, not an allowed skip: {message or 'no reason given'})"
            elif outcome == "notrun":
                name += f" (not run: {message or 'no reason given'})"
            self.failures.append(name)

    def skip_allowed(self, name, message):
        return any(fnmatch.fnmatchcase(name, glob) and message.startswith(start)
                   for glob, start in self.allowed_skips)


def case_outcome(case, ctest=False):
    """(outcome, message) of one <testcase> of GoogleTest XML, JUnit XML or CTest's JUnit output.
    CTest's "notrun" and "disabled" mean that the test's program did not run: "notrun"."""
    if case.find("failure") is not None or case.find("error") is not None:
        return "failed", ""
    status = case.get("status", "")
    result = case.get("result", "")
    if status in ("fail", "failed"):
        return "failed", ""
    skipped = case.find("skipped")
    message = skipped.get("message", "") if skipped is not None else ""
    if ctest and status in ("notrun", "disabled"):
        return "notrun", message or status
    if skipped is not None or status in ("notrun", "disabled", "skipped") or result in ("skipped", "suppressed"):
        return "skipped", message
    return "passed", ""


def read_cases(path, ctest=False):
    """[(name, outcome, message)] of every test case in a result file; None when unreadable. For
    CTest's own file the name is the CTest test's name."""
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
        out.append((name, *case_outcome(case, ctest)))
    return out


def summarize_build(build_dir, counts):
    ctest_cases = read_cases(os.path.join(build_dir, "ctest-junit.xml"), ctest=True)
    if ctest_cases is None:
        counts.add("failed", f"{build_dir}: no CTest results (ctest-junit.xml missing or unreadable)")
        return
    if not ctest_cases:
        counts.add("failed", f"{build_dir}: CTest ran no test")
    results = os.path.join(build_dir, "results")
    for test_name, ctest_outcome, message in ctest_cases:
        cases = read_cases(os.path.join(results, test_name + ".xml"))
        if not cases:
            # No own result file: a test without one, or a program that died before writing it.
            counts.add(ctest_outcome, test_name, message)
            continue
        for name, outcome, case_message in cases:
            counts.add(outcome, f"{test_name}: {name}", case_message)
        if ctest_outcome == "failed" and not any(o == "failed" for _, o, _ in cases):
            counts.add("failed", f"{test_name} (process failed after its cases: crash, time-out or sanitizer)")


def read_floor(path):
    """The number on the first line of the file that is not blank or a # comment."""
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                return int(line)
    raise ValueError(f"{path}: no number")


def read_allowed_skips(path):
    """Lines "<case name glob> | <start of the skip message>"; # starts a comment line."""
    out = []
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            glob, sep, start = line.partition("|")
            if not sep or not glob.strip() or not start.strip():
                raise ValueError(f"{path}:{n}: expected '<case name glob> | <start of the skip message>'")
            out.append((glob.strip(), start.strip()))
    return out


def main(argv=None):
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dirs", nargs="*", help="build directories whose tests must have run")
    parser.add_argument("--build-failed", action="append", default=[], metavar="WHAT",
                        help="count a failed build step as one failed case")
    parser.add_argument("--ctest-failed", action="append", default=[], metavar="DIR",
                        help="ctest exited with failure for this build directory")
    parser.add_argument("--floor", metavar="FILE", help="file holding the least number of passed cases")
    parser.add_argument("--allowed-skips", metavar="FILE", help="the skips that do not fail the run")
    parser.add_argument("--require", action="append", default=[], metavar="FILE",
                        help="a file the run must have had (the program under test)")
    args = parser.parse_args(argv)

    floor = 0
    allowed = []
    setup_errors = []
    try:
        if args.floor:
            floor = read_floor(args.floor)
        if args.allowed_skips:
            allowed = read_allowed_skips(args.allowed_skips)
    except (OSError, ValueError) as e:
        setup_errors.append(f"gate: {e}")

    counts = Counts(allowed)
    for what in setup_errors:
        counts.add("failed", what)
    for what in args.build_failed:
        counts.add("failed", f"build: {what}")
    for path in args.require:
        if not os.path.isfile(path):
            counts.add("failed", f"gate: {path} is missing")
    ctest_failed = {os.path.normpath(d) for d in args.ctest_failed}
    for d in args.build_dirs:
        failed_before = counts.failed
        summarize_build(d, counts)
        if os.path.normpath(d) in ctest_failed and counts.failed == failed_before:
            counts.add("failed", f"{d}: ctest exited with failure although no case failed")
        ctest_failed.discard(os.path.normpath(d))
    for d in sorted(ctest_failed):
        counts.add("failed", f"{d}: ctest exited with failure")
    if counts.passed == 0:
        counts.add("failed", "gate: no test case passed")
    elif counts.passed < floor:
        counts.add("failed", f"gate: {counts.passed} cases passed, fewer than the floor of {floor} "
                   f"({args.floor}; a test that went missing?)")

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
