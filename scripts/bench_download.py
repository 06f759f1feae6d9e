#!/usr/bin/env python3
"""Download benchmark: update.exe (under Wine) against curl for the same files from the same
loopback nginx. Not a test: it prints figures.

Files: one 50 MB file and 200 small files (1 to 64 KB). The updater fetches them in one run, once
with its window shown and once silent (window hidden), so that the cost of painting the progress
can be seen. curl fetches each set (the large file, the small files) in one invocation.

Timing, from outside: the large file from its appearance in the Update folder to its full size
(nginx's access log cannot tell: it logs a response once the last byte is in the socket buffer,
megabytes before the client has read it), the small files from then until every file is installed
with its size. The updater waits 300 ms after each file before checking its size, which dominates
the small files: the figure without those waits is shown too. nginx also keeps timed.log (request
durations) in the work folder for a closer look.

    scripts/bench-download.sh [--small N] [--big-mb M]
"""

import argparse
import os
import shutil
import subprocess
import sys
import threading
import time

PROJECT = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
sys.path.insert(0, os.path.join(PROJECT, "tests", "e2e"))

import harness  # noqa: E402
from download_support import Site, config  # noqa: E402
from nginx_site import NginxSite  # noqa: E402

VERIFY_WAIT = 0.3  # the updater's pause before each size check


class TimedNginx(NginxSite):
    """The tests' nginx with a second access log that also records each request's duration."""

    def _write_conf(self):
        path = super()._write_conf()
        with open(path) as f:
            conf = f.read()
        timed = os.path.join(self.work_dir, "timed.log")
        conf = conf.replace("    access_log ",
                            "    log_format timed '$msec $request_time $status $body_bytes_sent $uri';\n"
                            f"    access_log {timed} timed;\n    access_log ", 1)
        with open(path, "w") as f:
            f.write(conf)
        return path

    def timed(self):
        """[(start, end, status, bytes, name)] for update files, in order of their end."""
        out = []
        try:
            with open(os.path.join(self.work_dir, "timed.log")) as f:
                for line in f:
                    msec, rt, status, sent, uri = line.split()
                    name = uri.rsplit("/", 1)[-1]
                    if name.lower() in ("updatelist.txt", "serverurl.txt") or not name:
                        continue
                    out.append((float(msec) - float(rt), float(msec), int(status), int(sent), name))
        except FileNotFoundError:
            pass
        return out

    def clear(self):
        for name in ("timed.log", "access.log"):
            p = os.path.join(self.work_dir, name)
            if os.path.exists(p):
                open(p, "w").close()


def make_site(root, small, big_mb):
    site = Site(os.path.join(root, "site"))
    release = []
    big = os.urandom(big_mb * 1024 * 1024)
    site.add("big.bin", big)
    release.append(("big.bin", len(big)))
    for i in range(small):
        size = 1024 + (i * 7919) % (63 * 1024)
        site.add(f"s{i:03d}.dat", os.urandom(size))
        release.append((f"s{i:03d}.dat", size))
    return site, release


class FolderWatch(threading.Thread):
    """Watches the install folder from outside: when the large file appears in the Update folder,
    when it is complete there, and when every file is installed with its size."""

    def __init__(self, install, release):
        super().__init__(daemon=True)
        self.install, self.release = install, release
        self.big_start = self.big_done = self.all_done = None
        self.stop = threading.Event()

    def run(self):
        big, big_size = self.release[0]
        target = self.install.file("Update", big)
        pending = dict(self.release)
        while not self.stop.is_set() and self.all_done is None:
            now = time.monotonic()
            try:
                size = os.path.getsize(target)
                if self.big_start is None:
                    self.big_start = now
                if self.big_done is None and size == big_size:
                    self.big_done = now
            except OSError:
                pass
            for name in list(pending):
                try:
                    if os.path.getsize(self.install.file(name)) == pending[name]:
                        del pending[name]
                except OSError:
                    pass
            if not pending:
                self.all_done = now
            time.sleep(0.01)


def run_updater(root, tag, nginx, release, silent):
    install = harness.Install(os.path.join(root, f"client-{tag}"))
    install.write_config(config(nginx.url, UpdateVisible="true" if silent else "false"))
    watch = FolderWatch(install, release)
    watch.start()
    run = install.start(watch=False)
    code, seconds = run.wait_exit(harness.slow(1800))
    run.kill()
    watch.stop.set()
    watch.join(5)
    shutil.rmtree(install.path, ignore_errors=True)
    return watch, code, seconds


def run_curl(root, nginx, files):
    out_dir = os.path.join(root, "curl-out")
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    cfg = os.path.join(root, "curl.cfg")
    with open(cfg, "w") as f:
        for name, _ in files:
            f.write(f'url = "{nginx.url}{name}"\noutput = "{os.path.join(out_dir, name)}"\n')
    started = time.monotonic()
    subprocess.run(["curl", "-s", "-f", "-K", cfg], check=True)
    wall = time.monotonic() - started
    shutil.rmtree(out_dir, ignore_errors=True)
    return wall


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--small", type=int, default=200)
    ap.add_argument("--big-mb", type=int, default=50)
    ap.add_argument("--work", default=os.path.join(harness.build_dir(), "bench-download"))
    args = ap.parse_args()

    root = os.path.abspath(args.work)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    site, release = make_site(root, args.small, args.big_mb)
    nginx = TimedNginx(site.path, os.path.join(root, "nginx")).start()
    try:
        # Large file first, then the small ones.
        site.write_lists([f"{n}|{s}|" for n, s in release], [nginx.url])
        big_name, small_names = "big.bin", {n for n, _ in release[1:]}
        harness.ensure_prefix()

        curl_big = run_curl(root, nginx, release[:1])
        curl_small = run_curl(root, nginx, release[1:])
        rows = [("curl, one process per set, one connection", curl_big, curl_small, curl_big + curl_small, "")]
        for tag, silent in (("shown", False), ("silent", True)):
            w, code, seconds = run_updater(root, tag, nginx, release, silent)
            if None in (w.big_start, w.big_done, w.all_done):
                rows.append((f"update.exe ({tag})", float("nan"), float("nan"), float("nan"),
                             f"exit {code} after {seconds:.1f} s: files incomplete"))
                continue
            rows.append((f"update.exe, window {'hidden (silent run)' if silent else 'shown'}",
                         w.big_done - w.big_start, w.all_done - w.big_done, w.all_done - w.big_start,
                         f"exit {code}, whole run {seconds:.1f} s"))
    finally:
        nginx.stop()

    n_small = len(release) - 1
    print(f"Files: 1 x {args.big_mb} MB + {n_small} small ({sum(s for n, s in release[1:]) / 1024:.0f} KB "
          "together) from nginx on 127.0.0.1.")
    print("update.exe timed from outside: large file from its appearance in Update\\ to its full size; small "
          "files from then until every file is installed with its size (includes the updater's 300 ms wait "
          "per file). curl: wall time of one curl process per set.")
    print(f"{'':44} {'large file':>11} {'small files':>12} {'small -0.3s/f':>14} {'all':>9} {'ratio':>7}")
    curl_all = rows[0][3]
    for label, big, small, total, note in rows:
        net = small - (VERIFY_WAIT * n_small if label.startswith("update.exe") else 0)
        print(f"{label:44} {big:10.2f}s {small:11.2f}s {net:13.2f}s {total:8.2f}s {total / curl_all:6.1f}x")
        if note:
            print(f"{'':44} {note}; large file at {args.big_mb / big:.1f} MB/s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
