#!/usr/bin/env python3
"""Runs one scenario file (or several) of the end-to-end tests and writes a JUnit XML result per
file into $UPDATER_RESULTS (default <build>/results), named e2e_<file>.xml.

    python3 run.py test_startup.py [-k pattern] [--suite NAME]

Exit status: 0 nothing failed, 1 something failed. Skipped cases are in the result file, where
the test command's summary judges them (scripts/summarize.py); a program of the build that is
missing fails the scenarios that need it.
"""

import argparse
import importlib.util
import os
import sys
import time
import traceback
import unittest
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.realpath(__file__))
sys.path.insert(0, HERE)

import harness  # noqa: E402


class RecordingResult(unittest.TextTestResult):
    def __init__(self, *args, **kw):
        super().__init__(*args, **kw)
        self.cases = []  # (test, outcome, seconds, detail)
        self._started = {}

    def startTest(self, test):
        self._started[test.id()] = time.monotonic()
        super().startTest(test)

    def _record(self, test, outcome, detail=""):
        seconds = time.monotonic() - self._started.get(test.id(), time.monotonic())
        self.cases.append((test, outcome, seconds, detail))

    def addSuccess(self, test):
        super().addSuccess(test)
        self._record(test, "passed")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._record(test, "failed", self._exc_info_to_string(err, test))

    def addError(self, test, err):
        super().addError(test, err)
        self._record(test, "error", self._exc_info_to_string(err, test))

    def addSubTest(self, test, subtest, err):
        # A failed subtest ends its test without addFailure: record it as a failed case itself.
        super().addSubTest(test, subtest, err)
        if err is not None:
            failed = issubclass(err[0], test.failureException)
            self._record(subtest, "failed" if failed else "error", self._exc_info_to_string(err, test))

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._record(test, "skipped", reason)

    def addExpectedFailure(self, test, err):
        super().addExpectedFailure(test, err)
        self._record(test, "passed")

    def addUnexpectedSuccess(self, test):
        super().addUnexpectedSuccess(test)
        self._record(test, "failed", "unexpected success")


def write_junit(path, suite_name, cases):
    suite = ET.Element("testsuite", name=suite_name, tests=str(len(cases)),
                       failures=str(sum(1 for c in cases if c[1] == "failed")),
                       errors=str(sum(1 for c in cases if c[1] == "error")),
                       skipped=str(sum(1 for c in cases if c[1] == "skipped")),
                       time=f"{sum(c[2] for c in cases):.3f}")
    for test, outcome, seconds, detail in cases:
        parent = getattr(test, "test_case", test)  # a subtest is named after its test
        parts = parent.id().split(".")
        case = ET.SubElement(suite, "testcase", classname=".".join(parts[:-1]) or suite_name,
                             name=parts[-1] + test.id()[len(parent.id()):], time=f"{seconds:.3f}")
        if outcome in ("failed", "error"):
            ET.SubElement(case, "failure" if outcome == "failed" else "error",
                          message=(detail.strip().splitlines() or [outcome])[-1][:500]).text = detail
        elif outcome == "skipped":
            ET.SubElement(case, "skipped", message=detail)
    root = ET.Element("testsuites")
    root.append(suite)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)


def load_file(path):
    name = os.path.splitext(os.path.basename(path))[0]
    loader_spec = importlib.util.spec_from_file_location(name, path)
    module = importlib.util.module_from_spec(loader_spec)
    sys.modules[name] = module
    loader_spec.loader.exec_module(module)
    return name, unittest.defaultTestLoader.loadTestsFromModule(module)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("files", nargs="+")
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only tests whose id contains this text")
    parser.add_argument("--suite", help="name of the result file and its suite (one file only; "
                        "default e2e_<file>)")
    args = parser.parse_args()
    if args.suite and len(args.files) != 1:
        parser.error("--suite takes one file")

    all_cases = []
    for path in args.files:
        path = os.path.abspath(path)
        try:
            name, suite = load_file(path)
        except Exception:
            traceback.print_exc()
            return 1
        if args.patterns:
            flat = []

            def walk(s):
                for t in s:
                    if isinstance(t, unittest.TestSuite):
                        walk(t)
                    else:
                        flat.append(t)
            walk(suite)
            suite = unittest.TestSuite(t for t in flat if any(p in t.id() for p in args.patterns))
        runner = unittest.TextTestRunner(verbosity=2, resultclass=RecordingResult, stream=sys.stdout)
        result = runner.run(suite)
        if not result.cases and (result.errors or result.failures):
            # A class-level failure (setUpClass) records no case: count it as one failed case.
            for test, detail in result.errors + result.failures:
                result.cases.append((test, "error", 0.0, detail))
        suite_name = args.suite or f"e2e_{name}"
        write_junit(os.path.join(harness.results_dir(), suite_name + ".xml"), suite_name, result.cases)
        all_cases += result.cases
        sys.stdout.flush()

    failed = sum(1 for c in all_cases if c[1] in ("failed", "error"))
    passed = sum(1 for c in all_cases if c[1] == "passed")
    skipped = sum(1 for c in all_cases if c[1] == "skipped")
    print(f"e2e: {passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
