#!/usr/bin/env python3
"""Start-up benchmark (not a test; prints figures, each the median of --runs runs), with Wine warm:

  - the floor: benchwindow (tests/bench), a minimal program that creates one window and shows it;
  - update.exe in a run with nothing to update (every listed file already at its size): the time
    from its process start to the creation of its main window, to the window's showing, and to
    the process's end;
  - then the same run from cold (every Wine process ended first), timed from the launch of `wine`.

A second program of the benchmark's own (benchwatch) waits for the window in the same Wine
and reads both times against the start time that Wine records for the window's process. The end
is taken from outside, when the Wine process is gone, and counted from that same start.

The updater's own timers and pauses in such a run: 1500 ms to the start of the run, 3000 ms for
the speed test of the update servers, 3000 ms to the end-of-run check, 1500 ms to the close.

    scripts/bench-startup.sh [--runs N] [--exe other/update.exe]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

PROJECT = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
sys.path.insert(0, os.path.join(PROJECT, "tests", "e2e"))

import harness  # noqa: E402
from download_support import Site, config  # noqa: E402
from nginx_site import NginxSite  # noqa: E402

OWN_TIMERS = 1.5 + 3.0 + 3.0 + 1.5
FILES = [("a.dat", 1000), ("b.dat", 70000), ("sub\\c.dat", 5000)]


def bench_program(name):
    return os.path.join(harness.build_dir(), "tests", "bench", name + ".exe")


class Warm:
    """Keeps one Wine process alive, so that wineserver and the prefix stay warm."""

    def __init__(self):
        self.proc = None

    def ensure(self):
        if self.proc is None or self.proc.poll() is not None:
            self.proc = subprocess.Popen(["wine", harness.program("sleeper"), "60"], env=harness.wine_env(),
                                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
            time.sleep(1.0)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(10)


def measure(class_name, args, cwd=None, cold=False):
    """(created ms, shown ms, end s, Wine's start after the launch s), times from the process start.
    Cold: no Wine process runs before the launch, and the watcher starts with the program (its
    'created' is then only when it first looked; 'shown' stays right)."""
    env = harness.wine_env()

    def watch():
        return subprocess.Popen(["wine", bench_program("benchwatch"), class_name, "60000"], env=env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                text=True)
    if cold:
        subprocess.run(["wineserver", "-k"], env=env, check=False)
        subprocess.run(["wineserver", "-w"], env=env, check=False)
    else:
        watcher = watch()
        time.sleep(1.0)  # the watcher is looking before the program starts
    launched = time.time()
    proc = subprocess.Popen(["wine", *args], cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if cold:
        watcher = watch()
    out, _ = watcher.communicate(timeout=60)
    proc.wait(120)
    ended = time.time()
    fields = out.split()
    if watcher.returncode != 0 or len(fields) != 3:
        raise RuntimeError(f"the watcher saw no window of class {class_name}: {watcher.returncode} {out!r}")
    created, shown, start = float(fields[0]), float(fields[1]), float(fields[2])
    return created, shown, ended - start, start - launched


def prepare(root, site, nginx, exe):
    """A client folder with every listed file already at its size."""
    install = harness.Install(os.path.join(root, "client"))
    if exe:
        shutil.copy2(exe, install.file("update.exe"))
    install.write_config(config(nginx.url))
    for name, size in FILES:
        install.add_file(name.replace("\\", "/"), site.data(name.rsplit("\\", 1)[-1]))
    return install


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--exe", help="another update.exe to measure instead of the build's")
    ap.add_argument("--cold", type=int, default=3, help="cold starts of the demo set-up to time after the warm runs")
    ap.add_argument("--work", default=os.path.join(harness.build_dir(), "bench-startup"))
    args = ap.parse_args()

    root = os.path.abspath(args.work)
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(root)
    site = Site(os.path.join(root, "site"))
    lines = []
    for name, size in FILES:
        flat = name.rsplit("\\", 1)[-1]
        site.add(flat, os.urandom(size))
        lines.append(f"{flat}|{size}|{name[:-len(flat)]}")
    nginx = NginxSite(site.path, os.path.join(root, "nginx")).start()
    warm = Warm()
    floor, upd, cold = [], [], []
    try:
        site.write_lists(lines, [nginx.url])
        harness.ensure_prefix()
        for i in range(args.runs):
            warm.ensure()
            floor.append(measure("BenchWindow", [bench_program("benchwindow")]))
            install = prepare(root, site, nginx, args.exe)
            warm.ensure()
            upd.append(measure(harness.FORM_CLASS, [install.file("update.exe")], cwd=install.path))
            got = [r.name for r in nginx.requests() if r.name.endswith(".dat")]
            if got:
                raise RuntimeError(f"the run fetched files that were current: {got}")
            print(f"run {i + 1}/{args.runs}: floor {floor[-1]}, update.exe {upd[-1]}", file=sys.stderr, flush=True)
        warm.stop()
        for i in range(args.cold):
            install = prepare(root, site, nginx, args.exe)
            cold.append(measure(harness.FORM_CLASS, [install.file("update.exe")], cwd=install.path, cold=True))
            print(f"cold {i + 1}/{args.cold}: {cold[-1]}", file=sys.stderr, flush=True)
    finally:
        warm.stop()
        nginx.stop()

    def med(rows, k):
        return statistics.median(r[k] for r in rows)

    print(f"Warm Wine, medians of {args.runs} runs; times from the start of the Windows process "
          f"(Wine's loader takes {med(floor, 3) * 1000:.0f} ms before that).")
    print(f"{'':42} {'window created':>15} {'window shown':>13} {'process end':>12}")
    print(f"{'floor: one window (benchwindow)':42} {med(floor, 0):12.0f} ms {med(floor, 1):10.0f} ms")
    print(f"{'update.exe, nothing to update':42} {med(upd, 0):12.0f} ms {med(upd, 1):10.0f} ms "
          f"{med(upd, 2):10.2f} s")
    print(f"update.exe: created {med(upd, 0) - med(floor, 0):+.0f} ms against the floor (limit +50 ms); "
          f"shown {med(upd, 1) - med(upd, 0):.0f} ms after its creation (limit 1500 + 100 ms); "
          f"end {med(upd, 2):.2f} s against its own timers and pauses {OWN_TIMERS:.1f} s (limit + 1 s)")
    if cold:
        print(f"Cold start (no Wine process running before), median of {len(cold)}: the window shown "
              f"{med(cold, 3) + med(cold, 1) / 1000:.2f} s after the launch, of which Wine's start-up "
              f"{med(cold, 3):.2f} s; the run ended {med(cold, 3) + med(cold, 2):.2f} s after the launch")
    return 0


if __name__ == "__main__":
    sys.exit(main())
