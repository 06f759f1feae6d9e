"""End-to-end test rig: runs update.exe under Wine in a fresh install folder and watches it from
outside with the window probe (tests/win/programs/probe.cpp), the way a user sees it.

Environment (set by scripts/test.sh and by CTest):
  UPDATER_BUILD_DIR  the Windows build folder (update/update.exe, tests/win/probe.exe, ...)
  UPDATER_RESULTS    where result files go (default: <build>/results)
  WINEPREFIX         default: <project>/build/wineprefix (initialised on first use)
  DISPLAY            an X display; without one the rig starts its own Xvfb
"""

import atexit
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.realpath(__file__))
PROJECT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(PROJECT, "scripts"))

import publish  # noqa: E402  (scripts/publish.py)
from nginx_site import NginxSite, closed_port, free_port  # noqa: E402,F401
from procutil import stop_process  # noqa: E402

ENCODING = "gbk"
CONFIG_NAME = "UpdateConFig.ini"
FORM_CLASS = "TForm1"
FORM_CAPTION = "Quenbry更新[文件校验版] Ver:1.4.2009.11.18"
FORM_CLIENT_WIDTH = 393
FORM_CLIENT_HEIGHT = 253
CONFIG_KEYS = ("ServerUrl", "ProcessName", "UpdatedRunProcessName", "UpdateVisible", "GoUrl",
               "ServerUrlFileName", "ZipFileName", "UpdateFileList")



def _control_names():
    """Control names of the main window, from the table that the program and the probe share."""
    import re
    try:
        with open(os.path.join(PROJECT, "update", "ControlIds.h"), encoding="utf-8") as f:
            return tuple(re.findall(r"X\((\w+),\s*\d+\)", f.read()))
    except OSError:
        return ()


CONTROL_NAMES = _control_names()

# Generous: two cores shared with builds and other tests.
SLOW = float(os.environ.get("UPDATER_E2E_SLOWNESS", "1.0"))


def slow(seconds):
    return seconds * SLOW


def build_dir():
    d = os.environ.get("UPDATER_BUILD_DIR") or os.path.join(PROJECT, "build", "mingw-x86_64")
    return os.path.abspath(d)


def results_dir():
    d = os.environ.get("UPDATER_RESULTS") or os.path.join(build_dir(), "results")
    os.makedirs(d, exist_ok=True)
    return d


def program(name):
    """Path of a Windows program of the build: 'update' or a test program."""
    candidates = [os.path.join(build_dir(), "update", name + ".exe"),
                  os.path.join(build_dir(), "tests", "win", name + ".exe"),
                  os.path.join(build_dir(), name + ".exe")]
    for c in candidates:
        if os.path.isfile(c):
            return c
    # A failure, not a skip: a run without the program under test has tested nothing.
    raise FileNotFoundError(f"{name}.exe is not built (looked in {build_dir()})")


def win_path(path):
    """The Wine path of a Unix path (drive Z: is the Unix root in every prefix)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


# --- Display and Wine -----------------------------------------------------------------------

class _Display:
    xvfb = None

    @classmethod
    def ensure(cls):
        if os.environ.get("DISPLAY"):
            return os.environ["DISPLAY"]
        for n in range(90, 140):
            if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
        else:
            raise RuntimeError("no free X display number")
        cls.xvfb = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            if cls.xvfb.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        os.environ["DISPLAY"] = f":{n}"
        atexit.register(cls.stop)
        return os.environ["DISPLAY"]

    @classmethod
    def stop(cls):
        stop_process(cls.xvfb, grace=5)
        cls.xvfb = None


def wine_env():
    _Display.ensure()
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(PROJECT, "build", "wineprefix"))
    env["WINEDEBUG"] = env.get("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    # Code page 936: the updater's texts, INI and lists are GBK.
    env["LANG"] = "zh_CN.UTF-8"
    env["LC_ALL"] = "zh_CN.UTF-8"
    return env


_prefix_ready = False


def ensure_prefix():
    global _prefix_ready
    if _prefix_ready:
        return
    env = wine_env()
    if not os.path.isfile(os.path.join(env["WINEPREFIX"], "system.reg")):
        os.makedirs(env["WINEPREFIX"], exist_ok=True)
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=300)
        subprocess.run(["wineserver", "-w"], env=env, timeout=300)
    use_whole_glyph_cjk_font(env)
    _prefix_ready = True


# The CJK font of these machines draws broken glyphs at 12 pixels in its default face (its small
# bitmaps lack rows); its "Sharp" face is whole. A Chinese Windows has SimSun itself: the prefix
# stands it in with that face, as scripts/test.sh does for the Windows tests.
CJK_FONT_REPLACEMENT = "WenQuanYi Zen Hei Sharp"


def use_whole_glyph_cjk_font(env):
    with open(os.path.join(env["WINEPREFIX"], "user.reg"), encoding="utf-8", errors="replace") as f:
        if CJK_FONT_REPLACEMENT in f.read():
            return
    for name in ("宋体", "SimSun"):
        subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", name, "/d",
                        CJK_FONT_REPLACEMENT, "/f"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
    subprocess.run(["wineserver", "-w"], env=env, timeout=300)


def kill_wineserver():
    """Ends every process of the test prefix (things the updater started, such as a browser)."""
    env = wine_env()
    subprocess.run(["wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)
    subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=60)


def wine_popen(args, cwd=None, **kw):
    ensure_prefix()
    return subprocess.Popen(["wine"] + list(args), cwd=cwd, env=wine_env(), stdin=subprocess.DEVNULL,
                            start_new_session=True, **kw)


def run_probe(*args, timeout=60):
    p = subprocess.run(["wine", program("probe")] + list(args), env=wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    return p.returncode, p.stdout.decode("utf-8", errors="replace")


def probe_dump(*args):
    rc, out = run_probe("dump", *args)
    text = out.strip()
    return json.loads(text) if rc == 0 and text and text != "null" else None


def probe_list(*args):
    rc, out = run_probe("list", *args)
    return json.loads(out.strip() or "[]")


def screenshot(path):
    """Whole screen (the Xvfb root window) as PNG."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    subprocess.run(["import", "-display", wine_env()["DISPLAY"], "-window", "root", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60, check=True)
    return path


# --- Snapshots ------------------------------------------------------------------------------

class Snapshot:
    """One look at the form: the JSON written by the probe, with lookups by control name."""

    def __init__(self, data):
        self.data = data
        self.controls = {}
        for c in data.get("controls", []):
            self.controls.setdefault(c["name"], c)

    time = property(lambda self: self.data["t"])
    visible = property(lambda self: self.data["visible"])
    caption = property(lambda self: self.data["caption"])
    client_size = property(lambda self: tuple(self.data["client"]))
    pid = property(lambda self: self.data["pid"])
    form_count = property(lambda self: self.data.get("form_count", 1))

    def missing_controls(self):
        return [n for n in CONTROL_NAMES if n not in self.controls]

    def complete(self):
        """True once every control of the window exists (not a snapshot taken mid-construction)."""
        return not self.missing_controls()

    def control(self, name):
        if name not in self.controls:
            raise KeyError(f"no control {name} in the snapshot (have: {sorted(self.controls)})")
        return self.controls[name]

    def field(self, name):
        return self.control(name).get("text")

    def list_items(self, name):
        return self.control(name).get("items")

    def status_text(self):
        return self.controls.get("StatusBar", {}).get("text")

    def log_lines(self):
        """The log's lines; empty while (or once) the log control does not exist."""
        text = self.controls.get("MemoUpdateLog", {}).get("text") or ""
        lines = text.split("\r\n")
        return lines[:-1] if lines and lines[-1] == "" else lines

    def descendants_of(self, name):
        """Controls lying (directly or further down) on the named control."""
        out = []
        for c in self.data.get("controls", []):
            parent = c.get("parent")
            seen = set()
            while parent and parent not in seen:
                if parent == name:
                    out.append(c)
                    break
                seen.add(parent)
                parent = self.controls.get(parent, {}).get("parent")
        return out


# --- Configuration ---------------------------------------------------------------------------

def run_config(server_url, **overrides):
    """Values of a complete configuration for a visible run against server_url that starts no
    client afterwards and redirects nowhere; overrides replace or add keys."""
    values = {
        "ServerUrl": server_url,
        "ProcessName": "testclient.exe",
        "UpdatedRunProcessName": "false",
        "UpdateVisible": "false",
        "GoUrl": "",
        "ServerUrlFileName": "ServerUrl.txt",
        "ZipFileName": "zip.exe",
        "UpdateFileList": "UpdateList.txt",
    }
    values.update(overrides)
    return values


def write_config_text(folder, text, encoding=ENCODING, newline="\r\n"):
    """Writes text as folder/UpdateConFig.ini, every line ended by newline; returns the path."""
    path = os.path.join(folder, CONFIG_NAME)
    with open(path, "wb") as f:
        f.write(text.replace("\r\n", "\n").replace("\n", newline).encode(encoding))
    return path


def write_config(folder, values=None, section="SoftSetInfo", **keys):
    """folder/UpdateConFig.ini in GBK with CR LF: values ({key: value}, then keys) as key=value in
    the given order; raw lines may be given as keys with the value None. Returns the path."""
    values = dict(values or {}, **keys)
    lines = [f"[{section}]"]
    for k, v in values.items():
        lines.append(k if v is None else f"{k}={v}")
    return write_config_text(folder, "\n".join(lines) + "\n")


# --- One updater installation and its runs -------------------------------------------------

class Install:
    """A fresh client folder with update.exe in it."""

    def __init__(self, path):
        self.path = os.path.abspath(path)
        if os.path.exists(self.path):
            shutil.rmtree(self.path)
        os.makedirs(self.path)
        shutil.copy2(program("update"), os.path.join(self.path, "update.exe"))

    def file(self, *parts):
        return os.path.join(self.path, *parts)

    def write_config_text(self, text, encoding=ENCODING, newline="\r\n"):
        return write_config_text(self.path, text, encoding, newline)

    def write_config(self, values=None, section="SoftSetInfo", **kw):
        """See the module's write_config."""
        return write_config(self.path, values, section, **kw)

    def add_file(self, rel_path, data):
        p = self.file(*rel_path.replace("\\", "/").split("/"))
        os.makedirs(os.path.dirname(p), exist_ok=True)
        with open(p, "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode(ENCODING))
        return p

    def add_test_client(self, name="testclient.exe"):
        shutil.copy2(program("testclient"), self.file(name))
        return self.file(name)

    def client_starts(self, name="testclient.exe"):
        """Lines of the test client's start marker: one per start."""
        stem = os.path.splitext(name)[0]
        try:
            with open(self.file(stem + ".started.txt"), encoding="utf-8") as f:
                return [line for line in f.read().splitlines() if line]
        except FileNotFoundError:
            return []

    def start(self, watch=True, watch_ms=150):
        return UpdaterRun(self, watch=watch, watch_ms=watch_ms)


class UpdaterRun:
    """update.exe running under Wine, followed by `probe watch`."""

    def __init__(self, install, watch=True, watch_ms=150):
        self.install = install
        self.started = time.monotonic()
        self.started_wall = time.time()
        tag = f"run{int(self.started_wall * 1000) % 10000000}"
        self.watch_file = install.file("..", f"{os.path.basename(install.path)}-{tag}.watch.jsonl")
        self.stdout_path = install.file("..", f"{os.path.basename(install.path)}-{tag}.out.txt")
        self._out = open(self.stdout_path, "wb")
        self.process = wine_popen([install.file("update.exe")], cwd=install.path, stdout=self._out,
                                  stderr=subprocess.STDOUT)
        self.watcher = None
        self._snapshots = []
        self._read_pos = 0
        self._partial = b""
        self.gone = False
        self.gone_time = None  # wall-clock time at which the window was seen destroyed
        self.never_appeared = False
        if watch:
            self.watcher = subprocess.Popen(
                ["wine", program("probe"), "watch", str(watch_ms), win_path(self.watch_file),
                 "--appear", str(int(slow(60) * 1000))],
                env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)

    # Process

    def elapsed(self):
        return time.monotonic() - self.started

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout):
        """(exit code, seconds from start to the end), or raises AssertionError on time-out."""
        try:
            rc = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"update.exe still running after {timeout:.0f} s; "
                                 f"log: {self.log_lines()}") from None
        ended = self.elapsed()
        self._finish_watch()
        return rc, ended

    def kill(self):
        if self.process.poll() is None:
            try:
                os.kill(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                pass
        self._finish_watch(timeout=5)
        self._out.close()

    def _finish_watch(self, timeout=10):
        if not self.watcher:
            return
        try:
            self.watcher.wait(timeout)
        except subprocess.TimeoutExpired:
            self.watcher.kill()
            self.watcher.wait(5)
        self._read_new()

    # Snapshots

    def _read_new(self):
        try:
            with open(self.watch_file, "rb") as f:
                f.seek(self._read_pos)
                chunk = f.read()
                self._read_pos = f.tell()
        except FileNotFoundError:
            return
        data = self._partial + chunk
        lines = data.split(b"\n")
        self._partial = lines.pop()  # incomplete last line, if any
        for line in lines:
            if not line.strip():
                continue
            try:
                d = json.loads(line.decode("utf-8"))
            except ValueError:
                continue
            if d.get("gone"):
                self.gone = True
                self.gone_time = d["t"]
            elif d.get("never_appeared"):
                self.never_appeared = True
            else:
                self._snapshots.append(Snapshot(d))

    def snapshots(self):
        self._read_new()
        return list(self._snapshots)

    def snapshot(self):
        """The latest snapshot, or None when the window has not been seen yet."""
        s = self.snapshots()
        return s[-1] if s else None

    def last_whole_snapshot(self):
        """The last look at the whole window: every control there and the log's text read. Looks
        taken while the window is built or taken down lack controls, or texts (the probe leaves
        out a text it could not read)."""
        for s in reversed(self.snapshots()):
            if s.complete() and "text" in s.controls["MemoUpdateLog"]:
                return s
        return None

    def final_log(self):
        """The log's lines as last seen on the whole window; [] if never seen."""
        s = self.last_whole_snapshot()
        return s.log_lines() if s else []

    def wait_for(self, predicate, timeout, what="condition", poll=0.1):
        """Waits until predicate(snapshot) is true for a new snapshot; returns that snapshot."""
        deadline = time.monotonic() + timeout
        checked = 0
        while True:
            snaps = self.snapshots()
            for s in snaps[checked:]:
                try:
                    if predicate(s):
                        return s
                except KeyError:
                    pass
            checked = len(snaps)
            if self.gone or self.never_appeared or time.monotonic() > deadline:
                last = snaps[-1] if snaps else None
                detail = f"log: {last.log_lines()}, status: {last.status_text()!r}" if last else "no snapshot"
                state = "window gone" if self.gone else ("window never appeared" if self.never_appeared
                                                          else f"{timeout:.0f} s passed")
                raise AssertionError(f"waiting for {what}: {state}; {detail}")
            time.sleep(poll)

    def closing_time(self, after=0.0):
        """Wall-clock time of the first look, after the given time, at which the window was
        closing: hidden, its controls gone, or destroyed. None if it was not seen closing."""
        for s in self.snapshots():
            if s.time > after and (not s.visible or "MemoUpdateLog" not in s.controls):
                return s.time
        return self.gone_time if self.gone_time and self.gone_time > after else None

    def wait_window(self, timeout=None):
        """The first snapshot of the fully built window."""
        try:
            return self.wait_for(lambda s: s.complete(), timeout or slow(60), "the main window with all controls")
        except AssertionError as e:
            last = self.snapshot()
            if last:
                raise AssertionError(f"{e}; missing controls: {last.missing_controls()}") from None
            raise

    def wait_for_log_line(self, text, timeout=None, exact=True):
        match = (lambda line: line == text) if exact else (lambda line: text in line)
        return self.wait_for(lambda s: any(match(line) for line in s.log_lines()), timeout or slow(30),
                             f"log line {text!r}")

    def field(self, name):
        s = self.snapshot()
        return s.field(name) if s else None

    def list_items(self, name):
        s = self.snapshot()
        return s.list_items(name) if s else None

    def status_text(self):
        s = self.snapshot()
        return s.status_text() if s else None

    def log_lines(self):
        s = self.snapshot()
        return s.log_lines() if s else []

    def screenshot(self, path):
        return screenshot(path)


# --- Test case base -------------------------------------------------------------------------

class E2ETestCase(unittest.TestCase):
    """Gives each test a fresh work folder under <build>/e2e/<class>/<test>/ and cleans up runs and
    servers it started. At the end of the class every process of the test prefix is ended."""

    @classmethod
    def setUpClass(cls):
        program("update")  # fails the whole class when the program is not built
        ensure_prefix()

    @classmethod
    def tearDownClass(cls):
        kill_wineserver()

    def setUp(self):
        self.work = os.path.join(build_dir(), "e2e", type(self).__name__, self._testMethodName)
        if os.path.exists(self.work):
            shutil.rmtree(self.work)
        os.makedirs(self.work)
        self._runs = []
        self._servers = []

    def tearDown(self):
        for run in self._runs:
            run.kill()
        for server in self._servers:
            server.stop()

    def make_install(self, name="client"):
        return Install(os.path.join(self.work, name))

    def start(self, install, **kw):
        run = install.start(**kw)
        self._runs.append(run)
        return run

    def serve(self, site_dir, **kw):
        server = NginxSite(site_dir, os.path.join(self.work, f"nginx-{len(self._servers)}"), **kw)
        self._servers.append(server)
        return server.start()

    def publish_site(self, release_dir, site_dir, servers, **kw):
        return publish.publish(release_dir, site_dir, servers, **kw)

    def serve_release(self, files, name="site", extra_servers=(), **publish_kw):
        """Serves a release on a fresh nginx: files is {relative path: bytes or text}. The server
        list names this server first, then extra_servers. Returns the running NginxSite; its
        update-list lines are in .update_list."""
        release = os.path.join(self.work, name + "-release")
        site = os.path.join(self.work, name)
        for rel, data in files.items():
            p = os.path.join(release, *rel.replace("\\", "/").split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data if isinstance(data, bytes) else data.encode(ENCODING))
        os.makedirs(site, exist_ok=True)
        server = self.serve(site)
        server.update_list = publish.publish(release, site, [server.url] + list(extra_servers), **publish_kw)
        return server


def site_config(server_url, **overrides):
    """A configuration for a visible run against the given main server, with the client program
    testclient.exe started on close."""
    return run_config(server_url, **{"UpdatedRunProcessName": "true", "ZipFileName": "", **overrides})


def today():
    """The date query the updater appends: local date as yyyymmdd."""
    return time.strftime("%Y%m%d")
