"""Faults that must neither hang the updater nor lose a file: a server that stops sending in the
middle of a file or of a list, and an installed file that another program holds open."""

import os
import time

from harness import E2ETestCase, slow, wine_popen
from download_support import (BUSY, SUCCESS, FaultServer, Site, config, content, final_log, log_time, read,
                              sleeper_path, tree)

# The no-progress deadline of every network wait, and the close that follows a failure.
DEADLINE = 30.0
CLOSE_AFTER_FAILURE = 3.0


class Stalls(E2ETestCase):
    def test_a_file_or_a_list_that_stops_coming_ends_the_run_after_the_deadline(self):
        fault = FaultServer(os.path.join(self.work, "fault")).start()
        self.addCleanup(fault.stop)
        site = Site(os.path.join(self.work, "site"))
        nginx = self.serve(site.path)
        # Half of the file arrives, then the server holds the connection and sends nothing more.
        site.write_lists(["data20000.bin|20000|"], [fault.url("stall/10000/")])
        file_run_install = self.make_install("file")
        file_run_install.write_config(config(nginx.url, UpdatedRunProcessName="true", DebugLog="true"))
        file_run_install.add_test_client()
        # The server list itself stops after ten bytes.
        list_run_install = self.make_install("list")
        list_run_install.write_config(config(fault.url("stall/10/"), ServerUrlFileName="data500.txt",
                                             UpdatedRunProcessName="true", DebugLog="true"))
        list_run_install.add_test_client()

        # One after the other: a second updater would leave at once (one instance at a time).
        file_run = self.start(file_run_install)
        code, _ = file_run.wait_exit(slow(DEADLINE + 60))
        self.assertEqual(code, 0)
        list_run = self.start(list_run_install)
        # When the list was asked for: its ten bytes go out at once, then nothing more.
        asked = None
        while asked is None and list_run.running() and list_run.elapsed() < slow(DEADLINE):
            if any(request.startswith("GET /stall/10/data500.txt") for request, _ in fault.requests()):
                asked = time.time()
            time.sleep(0.05)
        code, _ = list_run.wait_exit(slow(DEADLINE + 60))
        self.assertEqual(code, 0)
        self.assertIsNotNone(asked, f"the fault server never saw the list asked for: {fault.requests()}")
        lines = final_log(file_run)
        self.assertEqual(lines[-2:], ["-->data20000.bin下载失败.", BUSY], lines)
        stalled = log_time(file_run, "data20000.bin正在下载...")
        failed = log_time(file_run, "-->data20000.bin下载失败.")
        self.assertGreaterEqual(failed - stalled, DEADLINE - 1)
        self.assertLess(failed - stalled, DEADLINE + 10 * slow(1))
        self.assertFalse(os.path.exists(file_run_install.file("data20000.bin")), tree(file_run_install.path))
        self.assertFalse(os.path.exists(file_run_install.file("Update")), tree(file_run_install.path))

        lines = final_log(list_run)
        self.assertEqual(lines[-2:], ["data500.txt下载失败.", "服务器繁忙请稍候再进行升级..."], lines)
        failed = log_time(list_run, "data500.txt下载失败.")
        self.assertGreaterEqual(failed - asked, DEADLINE - 1)
        self.assertLess(failed - asked, DEADLINE + 10 * slow(1))
        # The debug log says why: a read of the body ran out of time after the answer had come.
        for install, fetch in ((file_run_install, "download of " + fault.url("stall/10000/data20000.bin")),
                               (list_run_install, "list download of " + fault.url("stall/10/data500.txt"))):
            debug = read(install.file("update.log")).decode("gbk", "replace")
            causes = [line.split("] ", 1)[1] for line in debug.splitlines() if " failed: " in line]
            self.assertEqual(len(causes), 1, debug)
            self.assertTrue(causes[0].startswith(fetch + "?"), causes)
            self.assertIn(" failed: receive: error ", causes[0])
            self.assertIn(", HTTP 200, after ", causes[0])
        # Both closed by themselves and started the client program as every close does.
        for install in (file_run_install, list_run_install):
            self.assertEqual(len(install.client_starts()), 1, install.path)


class HeldFile(E2ETestCase):
    def test_an_installed_file_held_open_stays_as_it_was_and_the_run_fails(self):
        site = Site(os.path.join(self.work, "site"))
        new = content(3000, seed=21)
        site.add("held.dat", new)
        site.add("after.dat", content(100, seed=22))
        nginx = self.serve(site.path)
        site.write_lists(["held.dat|3000|", "after.dat|100|"], [nginx.url])
        install = self.make_install()
        install.write_config(config(nginx.url))
        old = content(1234, seed=23)
        held = install.add_file("held.dat", old)
        holder = wine_popen([sleeper_path(), "40", held])
        self.addCleanup(lambda: holder.poll() is None and holder.kill())
        time.sleep(slow(2))

        run = self.start(install)
        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)
        lines = final_log(run)
        self.assertIn("-->held.dat校验成功. ", lines)
        failure = [line for line in lines if line.startswith("-->held.dat安装失败:无法替换原文件")]
        self.assertEqual(len(failure), 1, lines)
        self.assertEqual(lines[-1], BUSY, lines)
        self.assertNotIn("after.dat正在下载...", lines, "the run goes no further")
        # The held file is exactly what it was; nothing is left beside it or in Update.
        self.assertEqual(read(held), old)
        self.assertFalse(os.path.exists(held + ".new"))
        self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))


class Components(E2ETestCase):
    def test_one_download_component_at_a_time_over_many_files(self):
        count = 60
        site = Site(os.path.join(self.work, "site"))
        lines = []
        for i in range(count):
            site.add(f"f{i:03}.dat", content(200 + i, seed=i))
            lines.append(f"f{i:03}.dat|{200 + i}|")
        nginx = self.serve(site.path)
        site.write_lists(lines, [nginx.url])
        install = self.make_install()
        install.write_config(config(nginx.url, DebugLog="true"))
        run = self.start(install)
        code, _ = run.wait_exit(slow(180))
        self.assertEqual(code, 0)
        self.assertEqual(final_log(run)[-1], SUCCESS)
        # The updater reports, once a transfer is over, how many download components it holds:
        # the finished one waiting to be freed and the next one at most.
        reports = [int(line.rsplit(" ", 1)[1]) for line in read(install.file("update.log")).decode().splitlines()
                   if "download components alive: " in line]
        self.assertEqual(len(reports), count)
        self.assertLessEqual(max(reports), 2, reports)
