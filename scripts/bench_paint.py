#!/usr/bin/env python3
"""Paint benchmark (not a test): update.exe under Wine, held in the middle of a download (the
server sends 41,000 of 102,400 bytes and then nothing), with a log long enough for its scroll bar.
paintbench.exe, on the same virtual desktop, repaints the whole window with every control, first
with the control skins on, then with them off (the system draws the controls; the frame stays
skinned), and prints the median of one full paint of each. The window is then closed, and the
skin engine's own report of the memory it held (the debug log, DebugLog=true) is printed.

    scripts/bench-paint.sh [--paints N]
"""

import argparse
import os
import shutil
import subprocess
import sys

PROJECT = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
sys.path.insert(0, os.path.join(PROJECT, "tests", "e2e"))

import harness  # noqa: E402
from download_support import FaultServer, Site, config  # noqa: E402
from nginx_site import NginxSite  # noqa: E402

WORK = os.path.join(harness.build_dir(), "bench-paint")
DESKTOP = "/desktop=paintbench,800x600"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--paints", type=int, default=200)
    args = parser.parse_args()
    shutil.rmtree(WORK, ignore_errors=True)
    fault = FaultServer(os.path.join(WORK, "fault")).start()
    site = Site(os.path.join(WORK, "site"))
    nginx = NginxSite(site.path, os.path.join(WORK, "nginx")).start()
    current = [f"current{n:02}.dat" for n in range(12)]
    site.write_lists([f"{name}|{100 + n}|" for n, name in enumerate(current)] + ["data102400.bin|102400|"],
                     [fault.url("stall/41000/")])
    install = harness.Install(os.path.join(WORK, "client"))
    install.write_config(config(nginx.url, DebugLog="true"))
    for n, name in enumerate(current):
        install.add_file(name, bytes(100 + n))
    harness.ensure_prefix()
    updater = harness.wine_popen(["explorer", DESKTOP, harness.win_path(install.file("update.exe"))],
                                 cwd=install.path)
    try:
        result = os.path.join(WORK, "paintbench.txt")
        subprocess.run(["wine", "explorer", DESKTOP, harness.program("paintbench"), str(args.paints),
                        harness.win_path(result), "--wait-position", "41000"], env=harness.wine_env(),
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=900)
        print(open(result, encoding="utf-8").read().rstrip() if os.path.exists(result) else "paintbench wrote nothing")
        updater.wait(60)
    finally:
        if updater.poll() is None:
            updater.kill()
        nginx.stop()
        fault.stop()
    log = install.file("update.log")
    for line in open(log, encoding="gbk", errors="replace").read().splitlines() if os.path.exists(log) else []:
        if "skin engine" in line:
            print(line)


if __name__ == "__main__":
    main()
