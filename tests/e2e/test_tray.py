"""The tray icon driven like a user does it, with the X pointer on Wine's notification area: the
left click that shows a hidden window, the menu that hides it, shows it and quits, and the click
on the download-size label that quits as well. Each quit runs the close sequence (client program
started, Update folder removed) and takes the icon away.

The runs here stay open: the main server (a test nginx with an empty site) answers, no list file
is configured, so loading the server list fails and the updater waits for the user."""

import os
import time
import unittest

from harness import E2ETestCase, run_probe, slow
from tray_support import TrayWatch, choose_menu_item, click_at, click_icon

STAYS_OPEN_STATUS = "无法获取升级服务器列表信息."


class TrayScenario(E2ETestCase):
    def open_run(self, visible):
        """An updater waiting in its failed state, with the client program and an Update folder."""
        site = os.path.join(self.work, "site")
        os.makedirs(site)
        server = self.serve(site)
        self.watch = TrayWatch(self.work)
        self.addCleanup(self.watch.stop)
        install = self.make_install()
        install.add_test_client()
        install.add_file("Update/left-over.bin", b"partial download")
        install.write_config({
            "ServerUrl": server.url,
            "ProcessName": "testclient.exe",
            "UpdatedRunProcessName": "true",
            "UpdateVisible": "false" if visible else "true",
        })
        run = self.start(install, watch_ms=150)
        run.wait_for(lambda s: s.status_text() == STAYS_OPEN_STATUS, slow(60), "the run to stop in its failed state")
        icon = self.watch.wait_icon(slow(30))
        return install, run, icon

    def assert_closed_by_user(self, install, run, asked_wall):
        code, _ = run.wait_exit(slow(15))
        ended = time.time()
        self.assertEqual(code, 0)
        # Nothing else would have ended it: no close timer runs in this state.
        self.assertLess(ended - asked_wall, slow(10), "the quit took too long")
        starts = install.client_starts()
        self.assertEqual(len(starts), 1, f"client starts: {starts}")
        self.assertFalse(os.path.exists(install.file("Update")), "the Update folder is still there")
        self.watch.assert_no_icon_after(self, ended)

    def wait_form(self, visible, after, what):
        return self.watch.wait_for(lambda l: TrayWatch.form_visible(l) == visible, slow(15), what, after=after)


class TrayMenu(TrayScenario):
    def test_force_quit_from_the_menu_runs_the_close_sequence(self):
        install, run, icon = self.open_run(visible=False)
        time.sleep(1.0)
        self.assertTrue(run.running(), "the updater did not wait for the user")
        self.assertEqual(install.client_starts(), [])
        asked = time.time()
        choose_menu_item(self.watch, icon, "强制退出")
        self.assert_closed_by_user(install, run, asked)

    def test_hidden_window_is_shown_by_a_left_click_and_hidden_again_from_the_menu(self):
        install, run, icon = self.open_run(visible=False)
        self.assertFalse(any(s.visible for s in run.snapshots()), "the silent run showed its window")
        # Never activated, so never given the skinned frame.
        self.assertFalse(any(s.data.get("skinned") == 1 for s in run.snapshots()))

        # A right button press opens the menu and does not show the window.
        t = time.time()
        click_icon(icon, 3)
        menu_line = self.watch.wait_for(lambda l: TrayWatch.menus(l), slow(15), "the tray menu", after=t)
        self.assertFalse(TrayWatch.form_visible(menu_line))
        self.assertEqual([m.get("skinned") for m in TrayWatch.menus(menu_line)], [1], "the menu wears the skin")
        click_at(600, 700)  # elsewhere: the menu closes
        self.watch.wait_for(lambda l: not TrayWatch.menus(l), slow(15), "the menu closed", after=time.time())
        self.assertFalse(run.snapshot().visible)

        t = time.time()
        click_icon(icon, 1)
        self.wait_form(True, t, "the window shown by the left click")
        shown = run.wait_for(lambda s: s.visible, slow(10), "the window shown by the left click")
        self.assertEqual(shown.status_text(), STAYS_OPEN_STATUS)
        run.wait_for(lambda s: s.visible and s.data.get("skinned") == 1 and s.data.get("region"), slow(10),
                     "the shown window in its skinned frame")

        t = time.time()
        choose_menu_item(self.watch, icon, "隐藏窗口")
        self.wait_form(False, t, "the window hidden from the menu")
        run.wait_for(lambda s: not s.visible and s.time > t, slow(10), "the window hidden from the menu")

        t = time.time()
        choose_menu_item(self.watch, icon, "显示窗口")
        self.wait_form(True, t, "the window shown from the menu")
        run.wait_for(lambda s: s.visible and s.time > t and s.data.get("skinned") == 1 and s.data.get("region"),
                     slow(10), "the window shown from the menu, in its skinned frame")

        # None of this ended the run or started the client.
        self.assertTrue(run.running())
        self.assertEqual(install.client_starts(), [])
        asked = time.time()
        choose_menu_item(self.watch, icon, "强制退出")
        self.assert_closed_by_user(install, run, asked)


class SizeLabel(TrayScenario):
    def test_a_click_on_the_size_label_quits_like_force_quit(self):
        install, run, icon = self.open_run(visible=True)
        run.wait_for(lambda s: s.visible, slow(15), "the window shown")
        time.sleep(1.0)
        self.assertTrue(run.running())
        asked = time.time()
        rc, out = run_probe("click", "Label6")
        self.assertEqual(rc, 0, out)
        self.assert_closed_by_user(install, run, asked)


if __name__ == "__main__":
    unittest.main()
