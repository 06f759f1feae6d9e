"""A machine that the system reports off line: the run logs "网络状态:No", contacts no server,
keeps its tray picture alternating and ends by itself about 3 s later.

Wine calls a machine on line when one of its adapters has a gateway, so the updater runs inside a
network namespace that has only loopback (no default route). Wine asks the kernel through a driver
process of the prefix (nsiproxy in winedevice.exe), which sees the network of the namespace where
the prefix's Wine server was started. These scenarios therefore use a prefix of their own
(<prefix>-netns), cold-started inside each namespace; other scenarios' prefix is never touched.

The counterpart with a default route in the same kind of namespace must report "网络状态:正常"
and reach the server, so the off-line check can fail.
"""

import os
import subprocess
import sys
import time
import unittest

import harness
from harness import E2ETestCase, kill_wineserver, run_config, slow, wine_env
from netns_support import IP, SilentHost, _existing_namespaces, _run, require_netns
from procutil import stop_process

INIT = "正在初始化..."
NET_NO = "网络状态:No"
NET_OK = "网络状态:正常"
CLOSE_AFTER_FAILURE = (2.0, 8.0)

# Accepts connections on 127.0.0.1 of its namespace, records each one and answers 404.
LISTENER = r"""
import socket, sys
port_file, log_file = sys.argv[1], sys.argv[2]
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 0))
s.listen(16)
with open(port_file + ".tmp", "w") as f:
    f.write(str(s.getsockname()[1]))
import os
os.rename(port_file + ".tmp", port_file)
while True:
    c, peer = s.accept()
    with open(log_file, "a") as f:
        f.write("connection\n")
    c.settimeout(2)
    try:
        data = c.recv(4096)
        with open(log_file, "a") as f:
            f.write(repr(data.split(b"\r\n")[0]) + "\n")
        c.sendall(b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
    except OSError:
        pass
    c.close()
"""


class LoopbackOnly:
    """A network namespace with only its loopback interface up: no other link, no route out."""

    def __init__(self):
        require_netns()
        taken = _existing_namespaces()
        n = 0
        while f"upd-off-{os.getpid()}-{n}" in taken:
            n += 1
        self.name = f"upd-off-{os.getpid()}-{n}"
        _run(IP, "netns", "add", self.name)
        try:
            self.exec("ip", "link", "set", "lo", "up")
        except BaseException:
            self.close()
            raise

    def exec(self, *args, check=True):
        return _run(IP, "netns", "exec", self.name, *args, check=check)

    def close(self):
        if self.name:
            _run(IP, "netns", "delete", self.name, check=False)
            self.name = None


class Listener:
    """LISTENER run inside a namespace; `connections()` counts what reached it."""

    def __init__(self, netns_name, work_dir):
        self.port_file = os.path.join(work_dir, "listener.port")
        self.log_file = os.path.join(work_dir, "listener.log")
        open(self.log_file, "w").close()
        self.process = subprocess.Popen([IP, "netns", "exec", netns_name, sys.executable, "-c", LISTENER,
                                         self.port_file, self.log_file],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(self.port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("the listener in the namespace did not start")
            time.sleep(0.05)
        with open(self.port_file) as f:
            self.port = int(f.read())
        self.url = f"http://127.0.0.1:{self.port}/"

    def records(self):
        with open(self.log_file) as f:
            return f.read().splitlines()

    def connections(self):
        return self.records().count("connection")

    def stop(self):
        stop_process(self.process)


def netns_prefix():
    base = os.environ.get("WINEPREFIX") or os.path.join(harness.PROJECT, "build", "wineprefix")
    return os.path.abspath(base.rstrip("/")) + "-netns"


class OfflineScenario(E2ETestCase):
    @classmethod
    def setUpClass(cls):
        require_netns()
        cls._saved_prefix = os.environ.get("WINEPREFIX")
        os.environ["WINEPREFIX"] = netns_prefix()
        harness._prefix_ready = False
        try:
            super().setUpClass()
            # No window manager: Wine must not wait for one when a window hides (see docs/testing.md).
            subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N",
                            "/f"], env=wine_env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=120, check=True)
            kill_wineserver()
        except BaseException:
            cls._restore_prefix()
            raise

    @classmethod
    def tearDownClass(cls):
        try:
            super().tearDownClass()
        finally:
            cls._restore_prefix()

    @classmethod
    def _restore_prefix(cls):
        if cls._saved_prefix is None:
            os.environ.pop("WINEPREFIX", None)
        else:
            os.environ["WINEPREFIX"] = cls._saved_prefix
        harness._prefix_ready = False

    def enter(self, netns_name):
        """Cold-starts the prefix inside the namespace and makes the harness start the updater there.
        Undone (processes ended, then the namespace removed) by the test's cleanups."""
        kill_wineserver()
        env = wine_env()
        inside = [IP, "netns", "exec", netns_name]
        # A persistent server, and the prefix's services and drivers, all started inside.
        subprocess.run(inside + ["wineserver", "-p"], env=env, check=True, timeout=60)
        self.addCleanup(kill_wineserver)
        subprocess.run(inside + ["wine", "cmd", "/c", "exit"], env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=slow(120), check=True)
        original = harness.wine_popen

        def popen(args, cwd=None, **kw):
            return subprocess.Popen(inside + ["wine"] + list(args), cwd=cwd, env=wine_env(),
                                    stdin=subprocess.DEVNULL, start_new_session=True, **kw)

        harness.wine_popen = popen
        self.addCleanup(setattr, harness, "wine_popen", original)

    def loopback_only(self):
        ns = LoopbackOnly()
        self.addCleanup(ns.close)
        return ns.name

    def routed(self):
        host = SilentHost(answer_echo=True)
        self.addCleanup(host.close)
        host.route_default_here()
        return host.name

    def listener(self, netns_name):
        listener = Listener(netns_name, self.work)
        self.addCleanup(listener.stop)
        return listener

    def first_time_with(self, run, text):
        for s in run.snapshots():
            if text in s.log_lines():
                return s.time
        return None

    def watch_tray(self):
        from tray_support import TrayWatch
        watch = TrayWatch(self.work)
        self.addCleanup(watch.stop)
        return watch


class Offline(OfflineScenario):
    def start_offline(self, tray=False):
        name = self.loopback_only()
        listener = self.listener(name)
        self.enter(name)
        watch = self.watch_tray() if tray else None
        install = self.make_install()
        install.add_test_client()
        # Silent, so that no window covers the tray icon.
        install.write_config(run_config(listener.url, UpdateVisible="true"))
        return listener, watch, install, self.start(install, watch_ms=100)

    def test_no_connection_logs_no_contacts_nothing_and_closes_after_3_s(self):
        listener, _, install, run = self.start_offline()
        reported = run.wait_for_log_line(NET_NO, slow(60))
        self.assertEqual(reported.log_lines(), [INIT, NET_NO])
        code, _ = run.wait_exit(slow(20))
        ended = time.time()
        self.assertEqual(code, 0)
        line_seen = self.first_time_with(run, NET_NO)
        low, high = CLOSE_AFTER_FAILURE
        self.assertGreaterEqual(ended - line_seen, low, "closed too soon after the report")
        self.assertLessEqual(ended - line_seen, high * max(1.0, slow(1)), "closed too late after the report")
        for s in run.snapshots():
            lines = s.log_lines()
            self.assertEqual(lines, [INIT, NET_NO][:len(lines)], "the run went past the network check")
        self.assertEqual(listener.records(), [], "a server was contacted while off line")
        self.assertEqual(install.client_starts(), [], "the client program was started")

    # Off line is no failure of the tray: the picture must not turn to the failure picture. (Wine's
    # stand-alone tray in the namespace's own prefix does not reliably redraw every change back to
    # the plain picture, so the alternation itself is checked by the tray scenarios.)
    def test_tray_never_shows_the_failure_picture_after_the_report(self):
        from tray_support import icon_picture
        _, watch, _, run = self.start_offline(tray=True)
        icon = watch.wait_icon(slow(60))
        pictures = []  # (wall time, picture) from the icon's appearance to the end
        while run.running():
            pictures.append((time.time(), icon_picture(icon)))
        run.wait_exit(slow(20))
        ended = time.time()
        line_seen = self.first_time_with(run, NET_NO)
        self.assertIsNotNone(line_seen, "the run never reported the network state")
        after = [p for t, p in pictures if line_seen <= t < ended - 0.5]
        self.assertGreaterEqual(len(after), 3, f"too few looks at the icon after the report: {pictures}")
        self.assertNotIn("failure", after, f"pictures after the report: {after}")


class Online(OfflineScenario):
    def test_with_a_default_route_the_same_setup_reports_on_line_and_reaches_the_server(self):
        name = self.routed()
        listener = self.listener(name)
        self.enter(name)
        install = self.make_install()
        install.write_config(run_config(listener.url, UpdateVisible="true"))

        run = self.start(install, watch_ms=100)
        reported = run.wait_for(lambda s: NET_OK in s.log_lines() or NET_NO in s.log_lines(), slow(60),
                                "the network state")
        self.assertEqual(reported.log_lines()[:2], [INIT, NET_OK])
        deadline = time.monotonic() + slow(20)
        while not listener.connections() and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertGreater(listener.connections(), 0, "the server check never reached the listener")


if __name__ == "__main__":
    unittest.main()
