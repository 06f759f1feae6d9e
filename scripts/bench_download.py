#!/usr/bin/env python3
"""Download benchmark: update.exe (under Wine) against curl for the same files from the same
loopback nginx. Not a test: it prints figures.

Files: one 50 MB file and 200 small files (1 to 64 KB). The updater fetches them in one run, once
with its window shown and once silent (window hidden), so that the cost of painting the progress
can be seen. curl fetches the same files in one invocation (one connection).

Timing: from nginx's access log, with the request time added to each line: the download phase
runs from the start of the first file request to the end of the last one. Within it, the large
file's own request time is reported separately. The updater waits 300 ms after each file before
checking its size, which dominates the small files: the figure without those waits is shown too.

    scripts/bench-download.sh [--small N] [--big-mb M]
"""

import argparse
import os
import shutil
import subprocess
import sys
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


def phase(records, names):
    recs = [r for r in records if r[4] in names]
    if not recs:
        return None
    return min(r[0] for r in recs), max(r[1] for r in recs), sum(r[3] for r in recs), len(recs)


def run_updater(root, tag, nginx, release, silent):
    nginx.clear()
    install = harness.Install(os.path.join(root, f"client-{tag}"))
    install.write_config(config(nginx.url, UpdateVisible="true" if silent else "false"))
    run = install.start(watch=False)
    code, seconds = run.wait_exit(harness.slow(1800))
    run.kill()
    records = nginx.timed()
    names = {n for n, _ in release}
    ok = all(os.path.getsize(install.file(n)) == size for n, size in release if os.path.exists(install.file(n)))
    missing = [n for n, _ in release if not os.path.exists(install.file(n))]
    shutil.rmtree(install.path, ignore_errors=True)
    return records, names, code, seconds, ok and not missing


def run_curl(root, nginx, release):
    out_dir = os.path.join(root, "curl-out")
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    cfg = os.path.join(root, "curl.cfg")
    with open(cfg, "w") as f:
        for name, _ in release:
            f.write(f'url = "{nginx.url}{name}"\noutput = "{os.path.join(out_dir, name)}"\n')
    nginx.clear()
    started = time.monotonic()
    subprocess.run(["curl", "-s", "-f", "-K", cfg], check=True)
    wall = time.monotonic() - started
    shutil.rmtree(out_dir, ignore_errors=True)
    return nginx.timed(), wall


def describe(label, records, big_name, small_names):
    big = phase(records, {big_name})
    small = phase(records, small_names)
    everything = phase(records, small_names | {big_name})
    return {
        "label": label,
        "big": big[1] - big[0] if big else float("nan"),
        "small": small[1] - small[0] if small else float("nan"),
        "all": everything[1] - everything[0] if everything else float("nan"),
        "bytes": everything[2] if everything else 0,
        "requests": everything[3] if everything else 0,
    }


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

        rows = []
        curl_records, curl_wall = run_curl(root, nginx, release)
        rows.append(describe("curl (one connection)", curl_records, big_name, small_names))
        for tag, silent in (("shown", False), ("silent", True)):
            records, _, code, seconds, ok = run_updater(root, tag, nginx, release, silent)
            row = describe(f"update.exe, window {'hidden (silent run)' if silent else 'shown'}", records,
                           big_name, small_names)
            row["note"] = f"exit {code}, whole run {seconds:.1f} s, files {'complete' if ok else 'INCOMPLETE'}"
            rows.append(row)
    finally:
        nginx.stop()

    curl = rows[0]
    n_small = len(small_names)
    print(f"Files: 1 x {args.big_mb} MB + {n_small} small ({sum(s for n, s in release[1:]) / 1024:.0f} KB "
          f"together), nginx on 127.0.0.1, timed from the access log (first request start to last end)")
    print(f"{'':38} {'large file':>11} {'small files':>12} {'small-0.3s/f':>13} {'all':>9} {'ratio':>7}")
    for r in rows:
        small_net = r["small"] - (VERIFY_WAIT * n_small if r is not curl else 0)
        ratio = r["all"] / curl["all"] if curl["all"] > 0 else float("nan")
        print(f"{r['label']:38} {r['big']:10.2f}s {r['small']:11.2f}s {small_net:12.2f}s {r['all']:8.2f}s "
              f"{ratio:6.1f}x")
        if r.get("note"):
            print(f"{'':38} {r['note']}")
        mbps = args.big_mb / r["big"] if r["big"] > 0 else float("nan")
        print(f"{'':38} large file at {mbps:.1f} MB/s; {r['requests']} requests, {r['bytes']} bytes")
    print(f"curl wall time (process start to end): {curl_wall:.2f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
