"""The start of a run and its end, as the user sees them: the window, its log, the tray icon and
its balloon, the browser for a redirect, the client program started on close, and how long each
path takes. Every server is on the loopback interface; most runs fail their server check at
once (a closed port) and end by themselves."""

import os
import time
import unittest

from harness import E2ETestCase, build_dir, closed_port, run_config, slow
from tray_support import BALLOON_TITLE_TEXT, BrowserRecorder, TrayWatch, icon_picture

INIT = "正在初始化..."
NET_OK = "网络状态:正常"
SERVER_BUSY = "升级主服务器繁忙,请稍候再升级."
REDIRECT = "文件较大建议到官方网站下载升级包..."
NO_CONFIG = ["缺少配置文件,无法进行更新...", "正在退出升级程序..."]

# A loaded two-core machine: "about N seconds" is checked as a generous range around N.
CLOSE_AFTER_FAILURE = (2.0, 8.0)


def config(server_url, **overrides):
    """A silent run unless overridden: nothing covers the tray icon."""
    return run_config(server_url, **{"UpdateVisible": "true", **overrides})


def closed_server():
    return f"http://127.0.0.1:{closed_port()}/"


class StartupScenario(E2ETestCase):
    def watch_tray(self):
        watch = TrayWatch(self.work)
        self.addCleanup(watch.stop)
        return watch

    def first_seen(self, run):
        snaps = run.snapshots()
        self.assertTrue(snaps, "the window was never seen")
        return snaps[0].time

    def finish(self, run, watch=None, timeout=60):
        """Waits for the end of the process; returns the wall time at which it was seen ended."""
        code, _ = run.wait_exit(slow(timeout))
        ended = time.time()
        self.assertEqual(code, 0, "exit code")
        if watch:
            watch.assert_no_icon_after(self, ended)
        return ended

    def last_log(self, run):
        """The log as last seen (the very last snapshots, taken while the window is torn down, have
        no controls left)."""
        full = [s for s in run.snapshots() if s.complete()]
        self.assertTrue(full, "never saw the complete window")
        return full[-1].log_lines()

    def assert_between(self, value, bounds, what):
        low, high = bounds
        self.assertGreaterEqual(value, low, f"{what}: {value:.2f} s, expected at least {low} s")
        self.assertLessEqual(value, high * max(1.0, slow(1)), f"{what}: {value:.2f} s, expected at most {high} s")


class Failures(StartupScenario):
    """One scenario per row of the start-up failure table. ("No Internet connection" needs a
    network namespace and a prefix of its own: test_offline.py.)"""

    def test_missing_configuration_shows_the_window_at_once_without_icon_and_closes(self):
        watch = self.watch_tray()
        install = self.make_install()
        install.add_test_client()
        run = self.start(install, watch_ms=100)
        shown = run.wait_for(lambda s: s.visible and s.complete(), slow(60), "the window shown")
        first = self.first_seen(run)
        # Shown at once: well before the 1.5 s start-up delay of a configured run.
        self.assertLess(shown.time - first, 1.2, "the window was not shown at once")
        self.assertEqual(shown.log_lines(), NO_CONFIG)
        ended = self.finish(run, watch)
        self.assert_between(ended - shown.time, (2.0, 8.0), "close after the report")
        for s in run.snapshots():
            self.assertEqual(s.log_lines(), NO_CONFIG if s.log_lines() else [])
        running = [l for l in watch.lines() if first <= l["t"] < ended - 0.5]
        self.assertTrue(running, "no look at the notification area while the updater ran")
        for line in running:
            self.assertEqual(TrayWatch.icons(line), [], f"a tray icon without configuration: {line}")
        self.assertEqual(install.client_starts(), [], "the client program was started")

    def test_main_server_down_shows_the_failure_picture_and_closes(self):
        watch = self.watch_tray()
        install = self.make_install()
        install.write_config(config(closed_server()))  # silent: nothing covers the icon
        run = self.start(install, watch_ms=100)
        icon = watch.wait_icon(slow(60))
        failed = run.wait_for_log_line(SERVER_BUSY, slow(30))
        self.assertEqual(failed.log_lines(), [INIT, NET_OK, SERVER_BUSY])
        # The animation is stopped on the failure picture: it stays so until the end.
        pictures = []
        for _ in range(5):
            if not run.running():
                break
            pictures.append(icon_picture(icon))
            time.sleep(0.3)
        self.assertGreaterEqual(len(pictures), 3, "the updater ended too soon to look at its icon")
        # The last look may catch the icon going away.
        self.assertEqual(pictures[:-1], ["failure"] * (len(pictures) - 1), f"pictures: {pictures}")
        ended = self.finish(run, watch)
        self.assert_between(ended - failed.time, CLOSE_AFTER_FAILURE, "close after the failure line")

    def test_working_run_shows_the_two_animation_pictures_and_no_failure_picture(self):
        # The counterpart of the failure picture check: the same pixel test tells them apart.
        site = os.path.join(self.work, "site")
        release = os.path.join(self.work, "release")
        os.makedirs(release)
        with open(os.path.join(release, "data.txt"), "wb") as f:
            f.write(b"current\r\n")
        server = self.serve(site)
        self.publish_site(release, site, [server.url])
        watch = self.watch_tray()
        install = self.make_install()
        install.add_file("data.txt", b"current\r\n")
        install.write_config(config(server.url))
        run = self.start(install, watch_ms=200)
        icon = watch.wait_icon(slow(60))
        seen = []
        deadline = time.monotonic() + slow(40)
        while run.running() and time.monotonic() < deadline:
            seen.append(icon_picture(icon))
            if "程序更新成功..." in run.log_lines():
                break
            time.sleep(0.1)
        self.assertIn("程序更新成功...", run.log_lines(), f"the run did not succeed; pictures {seen}")
        self.assertIn("plain", seen)
        self.assertIn("badge", seen)
        self.assertNotIn("failure", seen)
        self.finish(run, watch)


class Redirect(StartupScenario):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.browser = BrowserRecorder(os.path.join(build_dir(), "e2e", cls.__name__))
        cls.browser.install()

    @classmethod
    def tearDownClass(cls):
        cls.browser.uninstall()
        super().tearDownClass()

    def redirect_run(self, run_client):
        self.browser.reset()
        site = os.path.join(self.work, "site")
        os.makedirs(site)
        server = self.serve(site)
        install = self.make_install()
        install.add_test_client()
        install.write_config(config(server.url, UpdateVisible="false", UpdatedRunProcessName=run_client,
                                    GoUrl=f"HTTP://127.0.0.1:{server.port}/Go/Index.HTML"))
        watch = self.watch_tray()
        run = self.start(install, watch_ms=100)
        watch.wait_icon(slow(60))
        redirected = run.wait_for_log_line(REDIRECT, slow(60))
        ended = self.finish(run, watch)
        first = self.first_seen(run)
        return server, install, run, redirected, first, ended

    def test_the_browser_is_asked_once_and_no_server_is_contacted(self):
        server, install, run, redirected, first, ended = self.redirect_run("false")
        self.assertEqual(redirected.log_lines(), [REDIRECT])
        self.assertEqual(self.last_log(run), [REDIRECT])
        # 1.5 s of start-up delay, then 3 s until the close.
        self.assert_between(ended - first, (3.5, 10.0), "run from window creation to exit")
        self.assert_between(ended - redirected.time, CLOSE_AFTER_FAILURE, "close after the redirect")
        deadline = time.monotonic() + slow(10)
        while not self.browser.starts() and time.monotonic() < deadline:
            time.sleep(0.2)
        time.sleep(1.0)  # a second start would come at once
        self.assertEqual(self.browser.starts(), [f"http://127.0.0.1:{server.port}/go/index.html"])
        self.assertEqual(server.requests(), [], "a server was contacted")
        self.assertEqual(install.client_starts(), [], "the client program was started")

    def test_the_client_program_is_started_on_close_when_configured(self):
        server, install, run, redirected, first, ended = self.redirect_run("true")
        starts = install.client_starts()
        self.assertEqual(len(starts), 1, f"client starts: {starts}")
        self.assertIn(install.file("testclient.exe").replace("/", "\\").lower(), starts[0].lower())
        self.assertEqual(server.requests(), [], "a server was contacted")


class Visibility(StartupScenario):
    def silent_run(self, switch):
        watch = self.watch_tray()
        install = self.make_install()
        install.write_config(config(closed_server(), UpdateVisible=switch))
        run = self.start(install, watch_ms=100)
        watch.wait_icon(slow(60))
        run.wait_for_log_line(SERVER_BUSY, slow(60))
        ended = self.finish(run, watch)
        snaps = run.snapshots()
        self.assertTrue(snaps)
        self.assertEqual([s.time for s in snaps if s.visible], [], "the window was shown")
        first = snaps[0].time
        looks = [l for l in watch.lines() if first <= l["t"] <= ended]
        self.assertTrue(looks)
        self.assertEqual([TrayWatch.balloons(l) for l in looks if TrayWatch.balloons(l)], [], "a balloon was shown")
        self.assertEqual([l["t"] for l in looks if TrayWatch.form_visible(l)], [], "the window was shown")

    def test_silent_run_never_shows_the_window_nor_a_balloon(self):
        self.silent_run("true")

    def test_silent_switch_in_capitals(self):
        self.silent_run("TRUE")

    def test_visible_run_shows_the_window_after_the_start_delay_and_a_balloon(self):
        watch = self.watch_tray()
        install = self.make_install()
        install.write_config(config(closed_server(), UpdateVisible="yes"))
        run = self.start(install, watch_ms=100)
        shown = run.wait_for(lambda s: s.visible, slow(60), "the window shown")
        first = self.first_seen(run)
        hidden = [s for s in run.snapshots() if s.time < shown.time]
        self.assertTrue(hidden, "the window was visible from its first sighting")
        self.assertTrue(all(not s.visible for s in hidden))
        self.assert_between(shown.time - first, (1.0, 5.0), "window shown after creation")
        self.assertEqual(shown.log_lines()[:1], [INIT])
        balloon_line = watch.wait_for(lambda l: TrayWatch.balloons(l), slow(15), "a balloon", after=first)
        self.assertEqual([b["title"] for b in TrayWatch.balloons(balloon_line)], [BALLOON_TITLE_TEXT])
        self.finish(run, watch)


class ClientOnClose(StartupScenario):
    """Whether the client program is started when the updater closes (after a failed run here)."""

    CASES = [
        # (UpdatedRunProcessName, client file present, expected starts)
        ("true", True, 1),
        ("TRUE", True, 1),
        ("true", False, 0),
        ("false", True, 0),
        ("", True, 0),
    ]

    def test_table(self):
        watch = self.watch_tray()
        for switch, present, expected in self.CASES:
            with self.subTest(switch=switch, present=present):
                install = self.make_install(f"client-{switch or 'empty'}-{present}")
                # Under another name, a copy records whether anything else was started.
                install.add_test_client("other.exe")
                if present:
                    install.add_test_client()
                install.write_config(config(closed_server(), UpdatedRunProcessName=switch))
                run = self.start(install, watch_ms=150)
                run.wait_for_log_line(SERVER_BUSY, slow(60))
                self.finish(run, watch)
                self.assertEqual(self.last_log(run), [INIT, NET_OK, SERVER_BUSY], "nothing reported")
                time.sleep(0.5)
                starts = install.client_starts()
                self.assertEqual(len(starts), expected, f"client starts: {starts}")
                if expected:
                    self.assertIn(install.file("testclient.exe").replace("/", "\\").lower(), starts[0].lower())
                self.assertEqual(install.client_starts("other.exe"), [])


if __name__ == "__main__":
    unittest.main()
