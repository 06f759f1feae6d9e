"""File downloads as the user and the server see them: a full run against the test nginx, size
verification, ending the processes of replaced files, resumed transfers, a server that drops the
connection, the progress fields during a slow transfer, and update-list lines that are refused."""

import os
import shutil
import time
import unittest

from harness import E2ETestCase, slow, wine_popen
from download_support import (BUSY, SUCCESS, FaultServer, Site, config, content, fault_pattern, file_requests,
                              final_log, last_modified, log_time, read, sleeper_path, tree, zippkg_path)


class DownloadCase(E2ETestCase):
    """A site served by the test nginx that is both main server and update server."""

    def make_site(self, lines, files=None, servers=None):
        self.site = Site(os.path.join(self.work, "site"))
        for name, data in (files or {}).items():
            self.site.add(name, data)
        self.nginx = self.serve(self.site.path)
        self.site.write_lists(lines, servers or [self.nginx.url])
        return self.site

    def run_to_end(self, install, timeout=None):
        run = self.start(install)
        code, _ = run.wait_exit(timeout or slow(90))
        ended = time.time()
        return run, code, ended

    def assert_closed_after(self, run, text, ended, low, high):
        seen = log_time(run, text)
        self.assertIsNotNone(seen, f"never saw {text!r}; log: {final_log(run)}")
        self.assertGreaterEqual(ended - seen, low - 0.5, f"closed {ended - seen:.1f} s after {text!r}")
        self.assertLessEqual(ended - seen, high * max(1.0, slow(1)), f"closed {ended - seen:.1f} s after {text!r}")

    def assert_failed_run(self, run, code, ended):
        self.assertEqual(code, 0)
        lines = final_log(run)
        self.assertEqual(lines[-1], BUSY, lines)
        self.assertNotIn(SUCCESS, lines)
        self.assert_closed_after(run, BUSY, ended, 2.0, 8.0)


class FullRun(DownloadCase):
    def test_four_files_sub_folder_thousands_package_and_current_file(self):
        plugin = content(3000, seed=1)
        big = content(12345, seed=2)
        package = read(zippkg_path())
        current_installed = content(777, seed=3)
        site = self.make_site(
            ["Plugin.DLL|3000|Plugins\\",
             "current.txt|777|",
             "big.dat|12,345|",
             f"zip.exe|{len(package)}|"],
            {"plugin.dll": plugin, "big.dat": big, "zip.exe": package,
             # Served with other bytes: a current file is judged by its size alone.
             "current.txt": content(777, seed=9)})
        install = self.make_install()
        install.write_config(config(self.nginx.url))
        install.add_file("current.txt", current_installed)

        run, code, ended = self.run_to_end(install)
        self.assertEqual(code, 0)
        lines = final_log(run)
        for expected in ["plugin.dll正在下载...", "-->plugin.dll下载完成", "-->plugin.dll校验成功. ",
                         "current.txt不需要更新...",
                         "big.dat正在下载...", "-->big.dat校验成功. ",
                         "zip.exe正在下载...", "-->zip.exe校验成功. "]:
            self.assertIn(expected, lines)
        self.assertEqual(lines[-1], SUCCESS, lines)
        self.assert_closed_after(run, SUCCESS, ended, 1.0, 6.0)

        # Installed where the list says, byte for byte; the current file left alone.
        self.assertEqual(read(install.file("plugins", "plugin.dll")), plugin)
        self.assertEqual(read(install.file("big.dat")), big)
        self.assertEqual(read(install.file("zip.exe")), package)
        self.assertEqual(read(install.file("current.txt")), current_installed)
        self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))

        requested = [r.name for r in file_requests(self.nginx)]
        self.assertEqual(requested, ["plugin.dll", "big.dat", "zip.exe"])
        today = time.strftime("%Y%m%d")
        for r in file_requests(self.nginx):
            self.assertEqual((r.method, r.status, r.query, r.range), ("GET", 200, today, ""), r)

        # The package ran from the program folder with " -y".
        marker = install.file("zip.ran.txt")
        deadline = time.monotonic() + slow(15)
        while not os.path.exists(marker) and time.monotonic() < deadline:
            time.sleep(0.2)
        with open(marker, encoding="utf-8") as f:
            ran = f.read().splitlines()
        self.assertEqual(len(ran), 1, ran)
        self.assertTrue(ran[0].endswith(" -y"), ran)
        self.assertIn("zip.exe", ran[0].lower())


if __name__ == "__main__":
    unittest.main()
