"""Start-up as the user sees it: one instance only, the configuration as read into the window,
the missing-configuration exit, and the hidden working area staying out of sight."""

import time
import unittest

from harness import (E2ETestCase, FORM_CAPTION, FORM_CLIENT_HEIGHT, FORM_CLIENT_WIDTH, closed_port, probe_list,
                     run_config, slow)


def harmless_config(port, **overrides):
    """A complete configuration whose main server is a closed loopback port: the run fails its
    server check and closes by itself, contacting nothing."""
    return run_config(f"http://127.0.0.1:{port}/", **overrides)


class HiddenAreaChecks:
    def assert_hidden_area_out_of_sight(self, snap, expect_controls=False):
        # Looks taken while the window is built or taken down lack controls (or their parent
        # links): whatever of the hidden page exists must be out of sight all the same.
        if "PageControl2" not in snap.controls:
            return
        width, height = snap.client_size
        page = snap.control("PageControl2")
        self.assertGreaterEqual(page["rect"][0], FORM_CLIENT_WIDTH, f"PageControl2 at {page['rect']}")
        self.assertGreaterEqual(page["rect"][0], width, f"PageControl2 at {page['rect']}, client {width}")
        on_page = snap.descendants_of("PageControl2")
        if expect_controls:
            self.assertTrue(on_page, "PageControl2 holds no controls")
        for c in on_page:
            left, top, right, bottom = c["rect"]
            inside = left < width and right > 0 and top < height and bottom > 0
            self.assertFalse(inside, f"{c['name']} at {c['rect']} lies in the {width}x{height} client area")


class SingleInstance(E2ETestCase):
    def test_second_instance_exits_at_once_and_leaves_the_first_running(self):
        install = self.make_install()
        install.write_config(harmless_config(closed_port()))
        first = self.start(install)
        first.wait_window(slow(60))

        second = self.start(install, watch=False)
        code, seconds = second.wait_exit(slow(20))
        self.assertEqual(code, 0)
        self.assertLess(seconds, slow(10), "the second instance should end at once")
        self.assertTrue(first.running(), "the first instance ended when the second started")

        forms = probe_list()
        self.assertEqual(len(forms), 1, f"windows of class TForm1: {forms}")
        self.assertEqual(forms[0]["pid"], first.snapshot().pid)
        for snap in first.snapshots():
            self.assertEqual(snap.form_count, 1)


class Configuration(E2ETestCase):
    def test_values_are_stored_in_lower_case_with_blanks_and_quotes_stripped(self):
        install = self.make_install()
        port = closed_port()
        # GoUrl set: the run only redirects (to a closed loopback address), contacting no server.
        install.write_config_text(
            "\n".join([
                "[SoftSetInfo]",
                f"ServerUrl=HTTP://127.0.0.1:{port}/UpDate/Files/",
                "ProcessName=   TestClient.EXE   ",
                "UpdatedRunProcessName=FALSE",
                "UpdateVisible=\"TRUE\"",
                f"GoUrl=\"HTTP://127.0.0.1:{port}/Go/Index.HTML\"",
                "ServerUrlFileName=ServerUrl.TXT",
                "zipfilename=資料業網Setup.EXE",  # key in other case; GBK trail bytes 'I', 'Y', 'W'
                "UpdateFileList=UpdateList.Txt",
                "[Other]",
                "ServerUrl=http://127.0.0.2/wrong/",
            ]) + "\n")
        run = self.start(install)
        snap = run.wait_for(lambda s: s.list_items("ListBoxServerTxt") and len(s.list_items("ListBoxServerTxt")) >= 2,
                            slow(60), "the list names to be queued")
        run.kill()  # before the redirect, to keep the prefix quiet

        expected = {
            "ServerUrl": f"http://127.0.0.1:{port}/update/files/",
            "Edit_ProcessName": "testclient.exe",
            "UpdatedRunProcessName": "false",
            "Edit_UpdateVisible": "true",
            "EditGoUrl": f"http://127.0.0.1:{port}/go/index.html",
            "Edit_ServerUrlFileName": "serverurl.txt",
            "Edit_ZipFileName": "資料業網setup.exe",
            "Edit_UpdateFileList": "updatelist.txt",
        }
        self.assertEqual({name: snap.field(name) for name in expected}, expected)
        self.assertEqual(snap.list_items("ListBoxServerTxt"), ["serverurl.txt", "updatelist.txt"])

    def test_list_names_are_queued_only_when_configured(self):
        install = self.make_install()
        install.write_config(harmless_config(closed_port(), ServerUrlFileName="ServerUrl.txt", UpdateFileList=""))
        run = self.start(install)
        snap = run.wait_for(lambda s: s.complete() and s.field("Edit_ServerUrlFileName") == "serverurl.txt", slow(60),
                            "the configuration to be read")
        self.assertEqual(snap.list_items("ListBoxServerTxt"), ["serverurl.txt"])
        self.assertEqual(snap.field("Edit_UpdateFileList"), "")


class MissingConfiguration(E2ETestCase, HiddenAreaChecks):
    def test_without_configuration_the_window_reports_and_closes_by_itself(self):
        install = self.make_install()
        run = self.start(install)
        snap = run.wait_for(lambda s: s.visible and "正在退出升级程序..." in s.log_lines(), slow(60),
                            "the window shown with the exit notice")
        self.assertEqual(snap.log_lines(), ["缺少配置文件,无法进行更新...", "正在退出升级程序..."])
        self.assertEqual(snap.caption, FORM_CAPTION)
        self.assertEqual(snap.client_size, (FORM_CLIENT_WIDTH, 253))
        seen = snap.time

        code, _ = run.wait_exit(slow(60))
        ended = time.time()
        self.assertEqual(code, 0)
        closing = run.closing_time(after=seen)
        self.assertIsNotNone(closing, "the window was never seen closing")
        self.assertGreaterEqual(closing - seen, 2.0, "closed too early")
        self.assertLessEqual(closing - seen, 8.0 * max(1.0, slow(1)), "did not close about 3 s later")
        # Without a window manager Wine waits up to 2 s for each top-level window it takes down.
        self.assertLessEqual(ended - closing, slow(10), "the process lingered after its window closed")
        self.assertTrue(any(s.complete() for s in run.snapshots()), "never saw the complete window")
        # The look taken while the window showed its notice is a look at the whole, settled window.
        self.assert_hidden_area_out_of_sight(snap, expect_controls=True)
        for s in run.snapshots():
            self.assert_hidden_area_out_of_sight(s)


class HiddenWorkingArea(E2ETestCase, HiddenAreaChecks):
    def test_hidden_page_control_never_enters_the_client_area(self):
        # Shown at once (no configuration), and hidden at first then shown by the start-up step.
        without = self.make_install("without-config")
        with_config = self.make_install("with-config")
        with_config.write_config(harmless_config(closed_port()))
        snaps = []
        for install in (without, with_config):
            run = self.start(install, watch_ms=100)
            try:
                run.wait_exit(slow(20))
            except AssertionError:
                pass  # still running: what it showed so far is checked all the same
            run.kill()
            self.assertTrue(run.snapshots(), f"the window of {install.path} was never seen")
            snaps += run.snapshots()
        self.assertTrue(any(s.visible for s in snaps), "the window was never shown")
        self.assertTrue(any(s.complete() for s in snaps), "never saw the complete window")
        for s in snaps:
            self.assert_hidden_area_out_of_sight(s)

    def test_size_fields_are_read_only_in_a_window_drawn_from_the_skin(self):
        install = self.make_install()
        run = self.start(install)
        snap = run.wait_window(slow(60))
        for name in ("Edit_DownLoadSize_B", "Edit_DownLoadSize_A"):
            self.assertEqual(snap.control(name)["class"].lower(), "edit")
            self.assertTrue(snap.control(name)["readonly"], f"{name} accepts typing")
        # The shown window's frame is the skin's: it answers the skin query, is shaped by a region,
        # and its client area keeps its designed size inside the skin's borders.
        skinned = run.wait_for(lambda s: s.visible and s.data.get("skinned") == 1, slow(30), "the skinned frame")
        self.assertTrue(skinned.data["region"])
        self.assertEqual(skinned.data["client"], [FORM_CLIENT_WIDTH, FORM_CLIENT_HEIGHT])
        left, top, right, bottom = skinned.data["rect"]
        self.assertGreater(right - left, FORM_CLIENT_WIDTH)
        self.assertGreater(bottom - top, FORM_CLIENT_HEIGHT)


if __name__ == "__main__":
    unittest.main()
