#!/usr/bin/env python3
"""Download benchmark: update.exe (under Wine) against the floor of its design, the same transfer
with large reads, and curl, all on the same files from the same loopback nginx. Not a test: it
prints figures, each the median of --runs runs.

Files: one large file (20 MB) and 200 small files (1 to 64 KB). The updater fetches them in one run,
once with its window shown and once silent (window hidden).

Rows for the large file:
  update.exe    from the file's appearance in Update\\ to its full size, watched from outside
  floor         benchfetch (tests/bench): WinInet reads of 1025 bytes written to a file, with one
                post-and-wait hand-off per piece to a window thread that keeps the values; the
                least a transfer built this way can take
  no hand-off   the same reads without the hand-off
  64 KB reads   the same without the hand-off, reads of 64 KB
  curl          one curl process
  (--unthrottled) the floor plus a shown bar and two KB fields written for every piece
benchfetch times itself from the target file's creation to its close, under the same Wine.

The small files are timed from the large file's completion until every file is installed with its
size. The updater pauses 300 ms after each file before checking its size; that part is shown apart.

    scripts/bench-download.sh [--runs N] [--small N] [--big-mb M] [--exe other/update.exe] [--unthrottled]
"""

import argparse
import os
import shutil
import statistics
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


def run_updater(root, tag, nginx, release, silent, exe):
    """(large file s, small files s, whole run s) of one run."""
    install = harness.Install(os.path.join(root, f"client-{tag}"))
    if exe:
        shutil.copy2(exe, install.file("update.exe"))
    install.write_config(config(nginx.url, UpdateVisible="true" if silent else "false"))
    watch = FolderWatch(install, release)
    watch.start()
    run = install.start(watch=False)
    code, seconds = run.wait_exit(harness.slow(1800))
    run.kill()
    watch.stop.set()
    watch.join(5)
    shutil.rmtree(install.path, ignore_errors=True)
    if None in (watch.big_start, watch.big_done, watch.all_done):
        raise RuntimeError(f"update.exe ({tag}) ended with {code} after {seconds:.1f} s, files incomplete")
    return watch.big_done - watch.big_start, watch.all_done - watch.big_done, seconds


def run_benchfetch(root, nginx, name, size, piece, mode):
    exe = os.path.join(harness.build_dir(), "tests", "bench", "benchfetch.exe")
    out = os.path.join(root, "benchfetch.out")
    r = subprocess.run(["wine", exe, nginx.url + name, harness.win_path(out), str(piece), mode],
                       env=harness.wine_env(), capture_output=True, text=True, timeout=600)
    if os.path.exists(out):
        os.remove(out)
    fields = r.stdout.split()
    if r.returncode != 0 or len(fields) != 2 or int(fields[1]) != size:
        raise RuntimeError(f"benchfetch {piece} {mode} failed: {r.returncode} {r.stdout!r} {r.stderr[-300:]!r}")
    return float(fields[0])


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


def median(values):
    return statistics.median(values) if values else float("nan")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--small", type=int, default=200)
    ap.add_argument("--big-mb", type=int, default=20)
    ap.add_argument("--exe", help="another update.exe to measure instead of the build's")
    ap.add_argument("--unthrottled", action="store_true",
                    help="also the floor with a shown bar and fields written for every piece")
    ap.add_argument("--work", default=os.path.join(harness.build_dir(), "bench-download"))
    args = ap.parse_args()

    root = os.path.abspath(args.work)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    site, release = make_site(root, args.small, args.big_mb)
    big_name, big_size = release[0]
    n_small = len(release) - 1
    nginx = NginxSite(site.path, os.path.join(root, "nginx")).start()
    fetch_modes = [("floor", 1025, "handoff"), ("nohandoff", 1025, "none"), ("64k", 65536, "none")]
    if args.unthrottled:
        fetch_modes.append(("unthrottled", 1025, "paint"))
    t = {k: [] for k in ("curl_big", "curl_small", "shown_big", "shown_small", "shown_run",
                         "silent_big", "silent_small", "silent_run", *[m[0] for m in fetch_modes])}
    try:
        site.write_lists([f"{n}|{s}|" for n, s in release], [nginx.url])
        harness.ensure_prefix()
        for i in range(args.runs):
            t["curl_big"].append(run_curl(root, nginx, release[:1]))
            if n_small:
                t["curl_small"].append(run_curl(root, nginx, release[1:]))
            for key, piece, mode in fetch_modes:
                t[key].append(run_benchfetch(root, nginx, big_name, big_size, piece, mode))
            for tag, silent in (("shown", False), ("silent", True)):
                big, small, run = run_updater(root, tag, nginx, release, silent, args.exe)
                t[f"{tag}_big"].append(big)
                t[f"{tag}_small"].append(small)
                t[f"{tag}_run"].append(run)
            print(f"run {i + 1}/{args.runs}: " + ", ".join(f"{k} {v[-1]:.2f}" for k, v in t.items() if v),
                  file=sys.stderr, flush=True)
    finally:
        nginx.stop()

    m = {k: median(v) for k, v in t.items()}
    mb = big_size / (1024 * 1024)
    floor = m["floor"]
    pauses = VERIFY_WAIT * n_small
    print(f"Files: 1 x {args.big_mb} MB + {n_small} small ({sum(s for _, s in release[1:]) / 1024:.0f} KB "
          f"together) from nginx on 127.0.0.1; medians of {args.runs} runs.")
    print(f"{'':58} {'large file':>10} {'MB/s':>6} {'/ floor':>8} {'small files':>12} {'of it pauses':>13}")

    def row(label, big, small=None, with_pauses=False):
        s = f"{label:58} {big:9.2f}s {mb / big:6.1f} {big / floor:7.2f}x"
        if small is not None:
            s += f" {small:11.2f}s"
            if with_pauses:
                s += f" {pauses:12.2f}s"
        print(s)

    row("update.exe, window shown", m["shown_big"], m["shown_small"], True)
    row("update.exe, silent run", m["silent_big"], m["silent_small"], True)
    row("floor: 1025-byte reads + one hand-off per piece", floor)
    row("1025-byte reads, no hand-off", m["nohandoff"])
    if args.unthrottled:
        row("floor + shown bar and fields written every piece", m["unthrottled"])
    row("64 KB reads, no hand-off", m["64k"])
    row("curl", m["curl_big"], m["curl_small"] if n_small else None)
    print(f"update.exe / floor: shown {m['shown_big'] / floor:.2f}x, silent {m['silent_big'] / floor:.2f}x; "
          f"whole updater run: shown {m['shown_run']:.1f} s, silent {m['silent_run']:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
