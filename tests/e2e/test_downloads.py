"""File downloads as the user and the server see them: a full run against the test nginx, size
verification, ending the processes of replaced files, resumed transfers, a server that drops the
connection, the progress fields during a slow transfer, update-list lines that are refused, and
Chinese file and list names from the publisher to the installed files."""

import os
import shutil
import time
import unittest

from harness import ENCODING, E2ETestCase, program, slow, wine_popen
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
        # No new updater offered: no self-update batch, the updater unchanged.
        self.assertFalse(os.path.exists(install.file("Up_Update.bat")))
        self.assertEqual(read(install.file("update.exe")), read(program("update")))

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



class ChineseNames(DownloadCase):
    def test_published_chinese_names_arrive_in_their_folders_and_chinese_list_names_are_fetched(self):
        files = {"普通.dat": content(2100, seed=11),
                 "数据/说明.txt": "更新说明\r\n第二行\r\n",
                 "数据/子目录/图像.BMP": content(900, seed=12)}
        server = self.serve_release(files)
        # The same release again, with the lists under Chinese names, for a second client.
        lists = {"list_name": "更新列表.txt", "server_list_name": "服务器列表.txt"}
        self.publish_site(os.path.join(self.work, "site-release"), server.site_dir, [server.url], **lists)

        install = self.make_install()
        install.write_config(config(server.url, UpdatedRunProcessName="true", ZipFileName="", DebugLog="True"))
        install.add_test_client()
        run, code, ended = self.run_to_end(install)
        self.assertEqual(code, 0)
        lines = final_log(run)
        self.assertEqual(lines[-1], SUCCESS, lines)
        for name in ("普通.dat", "说明.txt", "图像.bmp"):
            self.assertIn(f"-->{name}校验成功. ", lines)
        # Byte for byte, in the folders the list names (the name lower-cased as it was requested).
        for rel, data in [("普通.dat", files["普通.dat"]),
                          ("数据/说明.txt", files["数据/说明.txt"].encode(ENCODING)),
                          ("数据/子目录/图像.bmp", files["数据/子目录/图像.BMP"])]:
            self.assertEqual(read(install.file(*rel.split("/"))), data, rel)
        self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))
        self.assertEqual(len(install.client_starts()), 1)
        # The support switch: the debug log beside the updater, opened with the run's first report.
        # After a whole run in its skin, every handle the program's owners took was given back.
        debug = read(install.file("update.log")).decode(ENCODING)
        self.assertIn("debug log of ", debug)
        self.assertIn("handles still held at the end: 0\r\n", debug)

        # Configured list names in Chinese are fetched under those names. The loader then reads the
        # lists under their fixed names (ServerUrl.txt first), which this client does not have.
        chinese = self.make_install("chinese-lists")
        chinese.write_config(config(server.url, UpdateFileList=lists["list_name"],
                                    ServerUrlFileName=lists["server_list_name"]))
        second = self.start(chinese)
        second.wait_for(lambda s: s.status_text() == "无法获取升级服务器列表信息." and
                        s.log_lines()[-2:] == ["服务器列表.txt下载成功.", "更新列表.txt下载成功."],
                        slow(60), "both lists fetched, then the list loader's status")
        self.assertFalse(os.path.exists(chinese.file("update.log")), "a debug log without the switch")
        for name in lists.values():
            self.assertEqual(read(chinese.file(name)), read(os.path.join(os.fsencode(server.site_dir),
                                                                         name.encode(ENCODING))), name)

        # The server saw every name as its GBK bytes (nginx escapes them as \xHH) and found each one.
        def logged(name):
            return "".join(f"\\x{b:02X}" if b >= 0x80 else chr(b) for b in name.encode(ENCODING))
        records = [r for r in server.requests() if r.path != "/"]
        self.assertEqual([r.status for r in records], [200] * len(records), records)
        self.assertEqual(sorted(r.path.lstrip("/") for r in records),
                         sorted(["serverurl.txt", "updatelist.txt"] +
                                [logged(n) for n in ("普通.dat", "说明.txt", "图像.bmp", *lists.values())]))


class SizeMismatch(DownloadCase):
    def test_served_size_differs_from_the_list(self):
        first = content(2000, seed=4)
        self.make_site(["first.bin|2000|", "bad.bin|3100|", "third.bin|1000|"],
                       {"first.bin": first, "bad.bin": content(3000, seed=5), "third.bin": content(1000)})
        install = self.make_install()
        install.write_config(config(self.nginx.url))

        run, code, ended = self.run_to_end(install)
        lines = final_log(run)
        self.assertEqual(lines[-4:], ["-->bad.bin校验失败.", "网上大小:bad.bin 3100", "本地大小:bad.bin 3000", BUSY])
        self.assertIn("-->first.bin校验成功. ", lines)
        self.assert_failed_run(run, code, ended)
        # What was installed before the failure stays; the rest of the list is not fetched.
        self.assertEqual(read(install.file("first.bin")), first)
        self.assertFalse(os.path.exists(install.file("bad.bin")))
        self.assertEqual([r.name for r in file_requests(self.nginx)], ["first.bin", "bad.bin"])
        self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))


class RunningProcesses(DownloadCase):
    def test_process_of_a_replaced_file_is_ended_and_a_missing_file_ends_none(self):
        new_tool = content(5000, seed=6)
        helper_data = content(1500, seed=7)
        self.make_site(["helper.exe|1500|", "tool.exe|5000|"], {"helper.exe": helper_data, "tool.exe": new_tool})
        install = self.make_install()
        install.write_config(config(self.nginx.url))
        # tool.exe is installed (with another size) and running; helper.exe is not installed here
        # but a program of that name runs elsewhere.
        shutil.copyfile(sleeper_path(), install.file("tool.exe"))
        elsewhere = os.path.join(self.work, "elsewhere")
        os.makedirs(elsewhere)
        shutil.copyfile(sleeper_path(), os.path.join(elsewhere, "helper.exe"))
        tool = wine_popen([install.file("tool.exe"), "40"], cwd=install.path)
        helper = wine_popen([os.path.join(elsewhere, "helper.exe"), "40"], cwd=elsewhere)
        try:
            time.sleep(slow(2))
            self.assertIsNone(tool.poll(), "the sleeper did not start")
            run, code, ended = self.run_to_end(install)
            self.assertEqual(code, 0)
            lines = final_log(run)
            self.assertIn("helper.exe正在下载...", lines)
            self.assertIn("tool.exe正在更新...", lines)
            self.assertEqual(lines[-1], SUCCESS, lines)

            # Ended by the updater (exit code 0), not by itself (it ends with 7 after 40 s).
            self.assertEqual(tool.wait(slow(10)), 0)
            self.assertEqual(read(install.file("tool.exe")), new_tool)
            self.assertIsNone(helper.poll(), "a file that was merely missing ended a process")
            self.assertEqual(read(install.file("helper.exe")), helper_data)
        finally:
            for p in (tool, helper):
                if p.poll() is None:
                    p.kill()
                    p.wait(10)


class Resume(DownloadCase):
    def test_partial_download_with_stamp_asks_only_for_the_missing_bytes(self):
        size, have = 100000, 40000
        data = content(size, seed=8)
        self.make_site(["resume.bin|100000|"], {"resume.bin": data})
        install = self.make_install()
        install.write_config(config(self.nginx.url))
        stamp = last_modified(self.nginx.url + "resume.bin")
        install.add_file("Update/resume.bin", data[:have])
        install.add_file("Update/resume.bin.log", (stamp + "\r\n").encode("ascii"))

        run, code, ended = self.run_to_end(install)
        self.assertEqual(code, 0)
        self.assertEqual(final_log(run)[-1], SUCCESS, final_log(run))
        self.assertEqual(read(install.file("resume.bin")), data)

        ranged = [r for r in file_requests(self.nginx) if r.range]
        self.assertEqual(len(ranged), 1, file_requests(self.nginx))
        r = ranged[0]
        self.assertEqual((r.name, r.range, r.status, r.bytes_sent), ("resume.bin", f"bytes={have}-{size}", 206,
                                                                     size - have))


class DroppedConnection(DownloadCase):
    def test_connection_dropped_mid_file_ends_the_run_as_a_failure(self):
        fault = FaultServer(os.path.join(self.work, "fault")).start()
        self.addCleanup(fault.stop)
        self.make_site(["data10000.bin|10000|", "data2000.bin|2000|"], servers=[fault.url("drop/3000/")])
        install = self.make_install()
        install.write_config(config(self.nginx.url))

        run, code, ended = self.run_to_end(install)
        lines = final_log(run)
        self.assertIn("data10000.bin正在下载...", lines)
        self.assertNotIn("-->data10000.bin校验成功. ", lines)
        self.assert_failed_run(run, code, ended)
        self.assertFalse(os.path.exists(install.file("data10000.bin")), tree(install.path))
        self.assertFalse(os.path.exists(install.file("data2000.bin")), tree(install.path))
        self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))
        requested = [line for line, _ in fault.requests()]
        self.assertTrue(requested and all("data10000.bin" in line for line in requested), requested)


class Progress(DownloadCase):
    def test_fields_and_bar_follow_a_slow_transfer(self):
        fault = FaultServer(os.path.join(self.work, "fault")).start()
        self.addCleanup(fault.stop)
        self.make_site(["data5000.bin|5000|"], servers=[fault.url("slow/700/")])
        install = self.make_install()
        install.write_config(config(self.nginx.url))

        run = self.start(install, watch_ms=100)
        run.wait_exit(slow(90))
        self.assertEqual(final_log(run)[-1], SUCCESS, final_log(run))
        self.assertEqual(read(install.file("data5000.bin")), fault_pattern(5000))

        during = [s for s in run.snapshots() if "DownLoadProgressBar" in s.controls
                  and s.field("Edit_DownLoadSize_B") and s.control("DownLoadProgressBar")["position"] > 0]
        self.assertTrue(during, "no snapshot during the transfer")
        received = []
        for s in during:
            bar = s.control("DownLoadProgressBar")
            self.assertEqual(s.field("Edit_DownLoadSize_B"), "4")
            self.assertEqual(bar["range"][1], 5000)
            # The probe reads one control after the other: allow one report between two reads.
            self.assertLessEqual(abs(bar["position"] // 1024 - int(s.field("Edit_DownLoadSize_A"))), 1,
                                 (bar, s.field("Edit_DownLoadSize_A")))
            received.append(int(s.field("Edit_DownLoadSize_A")))
        self.assertEqual(received, sorted(received), "the received size went backwards")
        self.assertTrue(any(s.field("Edit_DownLoadSize_A") == "2" and 2048 <= s.control("DownLoadProgressBar")[
            "position"] < 3072 for s in during), [(s.field("Edit_DownLoadSize_A"),
                                                   s.control("DownLoadProgressBar")["position"]) for s in during])
        last = [s for s in run.snapshots() if "Edit_DownLoadSize_A" in s.controls][-1]
        self.assertEqual((last.field("Edit_DownLoadSize_A"), last.field("Edit_DownLoadSize_B")), ("4", "4"))
        self.assertEqual(last.control("DownLoadProgressBar")["position"], 0)


class RefusedLines(DownloadCase):
    """A list line that would write outside the program folder, or that cannot be read, ends the
    run as a failure before anything is fetched."""

    def check_refused(self, line, reason):
        self.make_site([line, "good.txt|4|"], {"evil.txt": b"evil", "good.txt": b"good"})
        install = self.make_install()
        install.write_config(config(self.nginx.url))

        run, code, ended = self.run_to_end(install)
        lines = final_log(run)
        self.assertEqual(lines[-3:], ["-->更新列表有误: " + line, "-->" + reason, BUSY])
        self.assert_failed_run(run, code, ended)
        self.assertEqual(file_requests(self.nginx), [])
        outside = [p for p in (os.path.join(self.work, "evil.txt"), os.path.join(self.work, "evil"),
                               os.path.join(os.environ.get("WINEPREFIX", ""), "drive_c", "evil.txt"))
                   if os.path.exists(p)]
        self.assertEqual(outside, [])
        self.assertEqual(sorted(f for f in os.listdir(self.work) if not f.startswith("client-run")),
                         ["client", "nginx-0", "site"])
        self.assertFalse(os.path.exists(install.file("good.txt")))

    def test_name_stepping_out(self):
        self.check_refused("..\\evil.txt|4|", "文件名含有路径")

    def test_name_with_a_path_separator(self):
        self.check_refused("sub\\evil.txt|4|", "文件名含有路径")

    def test_directory_stepping_out(self):
        self.check_refused("evil.txt|4|..\\", "目录不在程序目录之内")

    def test_directory_on_a_drive(self):
        self.check_refused("evil.txt|4|c:\\", "目录不在程序目录之内")

    def test_two_fields(self):
        self.check_refused("evil.txt|4", "字段不足三个")

    def test_size_not_a_number(self):
        self.check_refused("evil.txt|12x|", "文件大小不是整数")

if __name__ == "__main__":
    unittest.main()
