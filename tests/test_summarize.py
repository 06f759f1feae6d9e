"""scripts/summarize.py, the line the test command ends with and its gate: a run that tested
nothing, or less than it must, fails. Also the end-to-end runner without the program under test."""

import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
import unittest

PROJECT = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
SUMMARIZE = os.path.join(PROJECT, "scripts", "summarize.py")
ALLOWED_SKIPS = os.path.join(PROJECT, "tests", "allowed-skips.txt")

# CTest's own file: one <testcase> per CTest test.
PASSED = '<testcase name="{}" status="run"/>'
FAILED = '<testcase name="{}" status="fail"><failure message="x"/></testcase>'
NOT_FOUND = '<testcase name="{}" status="notrun"><skipped message="Unable to find executable"/></testcase>'
DISABLED = '<testcase name="{}" status="disabled"/>'
# A GoogleTest result file with two passed cases.
GTEST_TWO = """<testsuites><testsuite>
    <testcase name="A" classname="S" status="run" result="completed"/>
    <testcase name="B" classname="S" status="run" result="completed"/></testsuite></testsuites>"""


def ctest(*cases):
    return "<testsuite>" + "".join(cases) + "</testsuite>"


def e2e_result(skip_message):
    return f"""<testsuites><testsuite><testcase name="test_a" classname="test_x.C"/>
        <testcase name="test_b" classname="test_x.C"><skipped message="{skip_message}"/></testcase>
        </testsuite></testsuites>"""


# A normal run: native with a GoogleTest file (2 cases) and a plain test, Windows with one scenario.
NORMAL = {
    "native/ctest-junit.xml": ctest(PASSED.format("core"), PASSED.format("plain")),
    "native/results/core.xml": GTEST_TWO,
    "win/ctest-junit.xml": ctest(PASSED.format("e2e_test_x")),
    "win/results/e2e_test_x.xml": """<testsuites><testsuite><testcase name="test_a" classname="test_x.C"/>
        </testsuite></testsuites>""",
    "floor.txt": "# least number of passed cases\n3\n",
    "win/update/update.exe": "MZ",
}
NORMAL_ARGS = ["--floor", "floor.txt", "--allowed-skips", ALLOWED_SKIPS, "--require", "win/update/update.exe",
               "native", "win"]


class Gate(unittest.TestCase):
    # (what, files over NORMAL (None: no such file), arguments (None: NORMAL_ARGS), exit status,
    #  last line, text that the failure list must hold)
    CASES = [
        ("a normal run passes", {}, None, 0, "Total: 4 passed, 0 failed", None),
        ("no test ran", {"native/ctest-junit.xml": ctest(), "win/ctest-junit.xml": ctest()},
         ["native", "win"], 1, "Total: 0 passed, 3 failed", "no test case passed"),
        ("nothing at all", {"native/ctest-junit.xml": None, "win/ctest-junit.xml": None}, [], 1,
         "Total: 0 passed, 1 failed", "no test case passed"),
        ("fewer passed than the floor", {"floor.txt": "5\n"}, None, 1, "Total: 4 passed, 1 failed",
         "fewer than the floor of 5"),
        ("the repository's floor file is read", {}, ["--floor", os.path.join(PROJECT, "tests", "floor.txt"),
                                                    "native", "win"], 1, "Total: 4 passed, 1 failed",
         "fewer than the floor of"),
        ("a build's CTest results are missing", {"win/ctest-junit.xml": None}, None, 1,
         "Total: 3 passed, 1 failed", "win: no CTest results"),
        ("ctest failed although every case passed", {}, ["--ctest-failed", "win/"] + NORMAL_ARGS, 1,
         "Total: 4 passed, 1 failed", "win: ctest exited with failure"),
        ("a skip not on the allow-list", {"win/results/e2e_test_x.xml": e2e_result("traylook.exe is not built")},
         None, 1, "Total: 4 passed, 1 failed", "not an allowed skip: traylook.exe is not built"),
        ("a GoogleTest skip", {"native/results/core.xml": GTEST_TWO.replace(
            'result="completed"/></testsuite>', 'result="skipped"><skipped message="later"/></testcase></testsuite>')},
         None, 1, "Total: 3 passed, 1 failed", "core: S.B (skipped, not an allowed skip: later)"),
        ("a skip on the allow-list", {"win/results/e2e_test_x.xml": e2e_result(
            "needs root to create a network namespace (ip netns add)")}, None, 0,
         "Total: 4 passed, 0 failed, 1 skipped", None),
        ("an allowed reason in a test it is not allowed for", {"native/results/core.xml": GTEST_TWO.replace(
            'result="completed"/></testsuite>',
            'result="skipped"><skipped message="needs root to serve on port 80"/></testcase></testsuite>')},
         None, 1, "Total: 3 passed, 1 failed", "not an allowed skip"),
        ("a test program that is missing", {"native/ctest-junit.xml": ctest(
            PASSED.format("core"), PASSED.format("plain"), NOT_FOUND.format("gone"))}, None, 1,
         "Total: 4 passed, 1 failed", "gone (not run: Unable to find executable)"),
        ("a disabled test", {"native/ctest-junit.xml": ctest(
            PASSED.format("core"), PASSED.format("plain"), DISABLED.format("off"))}, None, 1,
         "Total: 4 passed, 1 failed", "off (not run: disabled)"),
        ("update.exe is missing", {"win/update/update.exe": None}, None, 1, "Total: 4 passed, 1 failed",
         "win/update/update.exe is missing"),
        ("a failed build is a failure even without tests", {"native/ctest-junit.xml": None},
         ["--build-failed", "mingw", "native"], 1, "Total: 0 passed, 3 failed", "build: mingw"),
        ("a process failing after its passing cases counts once more", {"native/ctest-junit.xml": ctest(
            FAILED.format("core"), PASSED.format("plain"))}, None, 1, "Total: 4 passed, 1 failed",
         "core (process failed after its cases"),
        ("a failed case counts once, with its CTest test", {"win/ctest-junit.xml": ctest(FAILED.format("e2e_test_x")),
                                                            "win/results/e2e_test_x.xml": """<testsuites><testsuite>
            <testcase name="test_a" classname="test_x.C"><failure message="no">trace</failure></testcase>
            <testcase name="test_b" classname="test_x.C"/></testsuite></testsuites>"""},
         ["--ctest-failed", "win"] + NORMAL_ARGS, 1, "Total: 4 passed, 1 failed", "e2e_test_x: test_x.C.test_a"),
        ("an unreadable allow-list fails", {"skips.txt": "no separator here\n"},
         ["--allowed-skips", "skips.txt", "native", "win"], 1, "Total: 4 passed, 1 failed", "skips.txt:1"),
    ]

    def test_each_case(self):
        for what, changes, args, status, last, failure in self.CASES:
            with self.subTest(what), tempfile.TemporaryDirectory(prefix="summary-") as d:
                files = {**NORMAL, **changes}
                for rel, text in files.items():
                    if text is not None:
                        os.makedirs(os.path.dirname(os.path.join(d, rel)), exist_ok=True)
                        with open(os.path.join(d, rel), "w", encoding="utf-8") as f:
                            f.write(textwrap.dedent(text))
                p = subprocess.run([sys.executable, SUMMARIZE, *(NORMAL_ARGS if args is None else args)], cwd=d,
                                   capture_output=True, text=True, timeout=60)
                lines = p.stdout.strip().splitlines()
                self.assertEqual((p.returncode, lines[-1]), (status, last), p.stdout + p.stderr)
                failed = lines[lines.index("Failed:") + 1:-1] if "Failed:" in lines else []
                if failure is None:
                    self.assertEqual(failed, [])
                else:
                    self.assertTrue(any(failure in f for f in failed), failed)


class Runner(unittest.TestCase):
    """tests/e2e/run.py: what it must not let pass."""

    CASES = [
        ("update.exe not built", "from harness import E2ETestCase\n\n\nclass Run(E2ETestCase):\n"
         "    def test_run(self):\n        pass\n", "0 passed, 1 failed", "update.exe is not built"),
        ("a failed subtest", "import unittest\n\n\nclass Rows(unittest.TestCase):\n    def test_rows(self):\n"
         "        for row in (1, 2):\n            with self.subTest(row=row):\n"
         "                self.assertEqual(row, 1)\n\n    def test_fine(self):\n        pass\n",
         "1 passed, 1 failed", "test_rows (row=2)"),
    ]

    def test_each_case_fails_the_file(self):
        for what, source, counts, reported in self.CASES:
            with self.subTest(what), tempfile.TemporaryDirectory(prefix="runner-") as d:
                scenario = os.path.join(d, "test_scenario.py")
                with open(scenario, "w") as f:
                    f.write(source)
                env = dict(os.environ, UPDATER_BUILD_DIR=os.path.join(d, "empty"),
                           UPDATER_RESULTS=os.path.join(d, "r"))
                p = subprocess.run([sys.executable, os.path.join(PROJECT, "tests", "e2e", "run.py"), scenario],
                                   env=env, capture_output=True, text=True, timeout=120)
                self.assertEqual(p.returncode, 1, p.stdout + p.stderr)
                self.assertIn(f"e2e: {counts}, 0 skipped", p.stdout)
                with open(os.path.join(d, "r", "e2e_test_scenario.xml"), encoding="utf-8") as f:
                    self.assertIn(reported, f.read())


if __name__ == "__main__":
    unittest.main()
