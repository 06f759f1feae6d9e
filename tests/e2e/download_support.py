"""Helpers for the download and self-update scenarios: update sites written by hand (the list
lines exactly as a test wants them), the configuration that points the updater at them, the
fault-injecting server, and checks of how a run ended."""

import os
import shutil
import subprocess
import sys
import time
import urllib.request

from harness import ENCODING, PROJECT, program, run_config
from procutil import stop_process

FAULTSERVER = os.path.join(PROJECT, "tests", "support", "faultserver.py")
LIST_FILES = ("updatelist.txt", "serverurl.txt")

SUCCESS = "程序更新成功..."
BUSY = "更新站点繁忙请稍候再进行更新..."


def content(size, seed=0):
    """size bytes that differ from file to file (seed) and are not periodic in small powers of two."""
    return bytes(((i * 7 + seed * 131 + i // 253) % 256) for i in range(size))


def write_gbk_lines(path, lines):
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode(ENCODING))


class Site:
    """A flat update site folder: files under their lower-case names plus the two list files."""

    def __init__(self, path):
        self.path = os.path.abspath(path)
        os.makedirs(self.path, exist_ok=True)

    def add(self, name, data):
        p = os.path.join(self.path, name.lower())
        with open(p, "wb") as f:
            f.write(data)
        return p

    def add_copy(self, name, source):
        p = os.path.join(self.path, name.lower())
        shutil.copyfile(source, p)
        return p

    def data(self, name):
        with open(os.path.join(self.path, name.lower()), "rb") as f:
            return f.read()

    def write_lists(self, update_lines, servers):
        # The updater asks for the configured names in lower case.
        write_gbk_lines(os.path.join(self.path, "updatelist.txt"), update_lines)
        write_gbk_lines(os.path.join(self.path, "serverurl.txt"), servers)


# A configuration for a visible run against a server that starts no client afterwards.
config = run_config


def file_requests(server):
    """The access-log records of update files (not the list files, not the connection checks)."""
    return [r for r in server.requests() if r.name and r.name.lower() not in LIST_FILES]


def last_modified(url):
    """The Last-Modified value that the server sends for url, exactly as sent."""
    with urllib.request.urlopen(urllib.request.Request(url, method="HEAD"), timeout=10) as r:
        return r.headers["Last-Modified"]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def tree(path):
    """Every file below path, as relative paths with '/'."""
    out = []
    for root, _, files in os.walk(path):
        for f in files:
            out.append(os.path.relpath(os.path.join(root, f), path).replace(os.sep, "/"))
    return sorted(out)


class FaultServer:
    """tests/support/faultserver.py on a free loopback port (see its header for the modes)."""

    def __init__(self, work_dir, lifetime=600, plan=None):
        self.work_dir = work_dir
        self.lifetime = lifetime
        self.plan = plan
        self.process = None
        self.port = None

    def start(self):
        os.makedirs(self.work_dir, exist_ok=True)
        port_file = os.path.join(self.work_dir, "fault.port")
        self.log_path = os.path.join(self.work_dir, "fault.log")
        self.process = subprocess.Popen(
            [sys.executable, FAULTSERVER, "--port-file", port_file, "--log", self.log_path,
             "--lifetime", str(self.lifetime)] + (["--plan", self.plan] if self.plan else []),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("faultserver did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            self.port = int(f.read().strip())
        return self

    def url(self, mode_path=""):
        return f"http://127.0.0.1:{self.port}/{mode_path}"

    def requests(self):
        """[(request line, range header or '-')] for every request except the connection checks."""
        try:
            with open(self.log_path, encoding="utf-8") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        out = []
        for line in lines:
            request, _, rng = line.partition("\t")
            out.append((request, rng))
        return out

    def stop(self):
        stop_process(self.process)
        self.process = None


def fault_pattern(size):
    """The bytes that faultserver.py serves for a file of that size."""
    return bytes(((i % 251) + (i // 251) * 17) % 256 for i in range(size))


def final_log(run):
    """The log as last seen on the whole window."""
    return run.final_log()


def log_time(run, text, exact=True):
    """Wall time of the first snapshot whose log holds text, or None."""
    for s in run.snapshots():
        if "MemoUpdateLog" not in s.controls:
            continue
        for line in s.log_lines():
            if (line == text) if exact else (text in line):
                return s.time
    return None


def sleeper_path():
    return program("sleeper")


def zippkg_path():
    return program("zippkg")
