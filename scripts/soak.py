#!/usr/bin/env python3
"""The long soak (not part of scripts/test.sh, which runs a short form): consecutive runs of one
client installation against the fault server, one seeded random fault per run, with the checks of
tests/e2e/soak_support.py after every run. Prints one line per run and the counts at the end; exit
status 1 when any run broke a rule. Uses a Wine prefix of its own (build/soak-prefix), so it can run
beside the tests.

    python3 scripts/soak.py [--runs 200] [--seed 7]
"""
import argparse
import os
import shutil
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
os.environ.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "soak-prefix"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

from harness import build_dir, ensure_prefix, kill_wineserver  # noqa: E402
from nginx_site import NginxSite  # noqa: E402
from soak_support import Soak  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description="The long soak of update.exe against a fault server.")
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args()
    work = os.path.join(build_dir(), "soak")
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    ensure_prefix()
    servers = []

    def serve(site):
        server = NginxSite(site, os.path.join(work, "nginx")).start()
        servers.append(server)
        return server

    started = time.monotonic()
    soak = Soak(work, serve, args.seed, log=lambda line: print(line, flush=True))
    try:
        for i in range(args.runs):
            soak.one_run(i)
    finally:
        soak.stop()
        for server in servers:
            server.stop()
        kill_wineserver()
    print(soak.report())
    print(f"soak: {time.monotonic() - started:.0f} s in all")
    for problem in soak.problems:
        print("soak: PROBLEM " + problem)
    return 1 if soak.problems else 0


if __name__ == "__main__":
    sys.exit(main())
