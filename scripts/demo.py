#!/usr/bin/env python3
"""A demonstration run of update.exe: a demo client folder, a demo update site served by nginx on
a loopback port, the updater under Wine inside a virtual desktop (so its frame shows), screenshots,
and a report of what happened. Called by scripts/run-demo.sh after the build.

    demo.py [--timeout SECONDS]

Everything goes to build/demo/: client/ (the installation), release/ and site/ (the update site),
nginx/ (server state and access log), screenshot.png (while the data file is coming; the demo
server sends at most 150 KB/s so that the transfer can be seen) and screenshot-2.png (at the success
message), each also cut to the window alone (screenshot-window.png, screenshot-2-window.png),
watch.jsonl.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.realpath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402
import publish  # noqa: E402
from nginx_site import NginxSite, free_port  # noqa: E402
from procutil import pids_of_program  # noqa: E402

DEMO = os.path.join(ROOT, "build", "demo")


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("gbk"))


def prepare(port):
    shutil.rmtree(DEMO, ignore_errors=True)
    release = os.path.join(DEMO, "release")
    site = os.path.join(DEMO, "site")
    client = os.path.join(DEMO, "client")

    # The new release: a text file, a data file large enough to show progress, a plug-in.
    write(os.path.join(release, "readme.txt"), "Quenbry 演示客户端\r\n版本 2\r\n更新内容: 新的数据文件和插件.\r\n")
    write(os.path.join(release, "data.bin"), bytes((i * 7919) % 251 for i in range(600 * 1024)))
    write(os.path.join(release, "plugins", "plugin.dat"), b"plug-in v2\r\n" * 300)
    server = f"http://127.0.0.1:{port}/"
    lines = publish.publish(release, site, [server])

    # The installation: the updater, its configuration, the client program and an old readme.
    os.makedirs(client)
    shutil.copy2(harness.program("update"), os.path.join(client, "update.exe"))
    shutil.copy2(harness.program("testclient"), os.path.join(client, "testclient.exe"))
    write(os.path.join(client, "readme.txt"), "Quenbry 演示客户端\r\n版本 1\r\n")
    write(os.path.join(client, "UpdateConFig.ini"), "\r\n".join([
        "[SoftSetInfo]",
        f"ServerUrl={server}",
        "ProcessName=testclient.exe",
        "UpdatedRunProcessName=true",
        "UpdateVisible=false",
        "GoUrl=",
        "ServerUrlFileName=ServerUrl.txt",
        "ZipFileName=",
        "UpdateFileList=UpdateList.txt",
    ]) + "\r\n")
    return client, site, lines


def listing(folder):
    out = []
    for base, dirs, files in os.walk(folder):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(base, name)
            out.append(f"  {os.path.relpath(path, folder):40} {os.path.getsize(path):>9} bytes")
    return out


def last_snapshot(watch_file):
    """The last look at the whole window (not one taken while it was being built or closed)."""
    best = partial = None
    try:
        with open(watch_file, "rb") as f:
            for line in f:
                try:
                    d = json.loads(line.decode("utf-8"))
                except ValueError:
                    continue
                if "controls" not in d:
                    continue
                snap = harness.Snapshot(d)
                if snap.complete():
                    best = snap
                elif "MemoUpdateLog" in snap.controls:
                    partial = snap
    except FileNotFoundError:
        pass
    return best or partial


def downloading(snap):
    """The data file is coming: the bar shows part of it."""
    bar = snap.controls.get("DownLoadProgressBar") or {}
    return "data.bin正在下载..." in snap.log_lines() and 0 < bar.get("position", 0) < bar.get("range", [0, 0])[1]


def succeeded(snap):
    return "程序更新成功..." in snap.log_lines()


def end_updater(client, env):
    """Ends the demo's own update.exe, found by its full path (it runs on the virtual desktop, so
    it is not a child of this script)."""
    for pid in pids_of_program(os.path.join(client, "update.exe")):
        os.kill(pid, 9)
        print(f"demo: ended update.exe (pid {pid})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--timeout", type=float, default=120, help="longest wait for the updater to end")
    args = parser.parse_args()

    port = free_port()
    client, site, lines = prepare(port)
    print(f"demo: update site {site} on http://127.0.0.1:{port}/, update list:")
    for line in lines:
        print(f"  {line}")

    nginx = NginxSite(site, os.path.join(DEMO, "nginx"), port=port, extra_server_conf="limit_rate 150k;")
    nginx.start()
    desktop = watcher = None
    try:
        harness.ensure_prefix()
        env = harness.wine_env()
        print(f"demo: DISPLAY={env['DISPLAY']} WINEPREFIX={env['WINEPREFIX']}")
        watch_file = os.path.join(DEMO, "watch.jsonl")
        started = time.monotonic()
        desktop = subprocess.Popen(
            ["wine", "explorer", "/desktop=demo,1024x768", harness.win_path(os.path.join(client, "update.exe"))],
            cwd=client, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        # The probe must run on the same (virtual) desktop to see the window.
        watcher = subprocess.Popen(
            ["wine", "explorer", "/desktop=demo,1024x768", harness.win_path(harness.program("probe")), "watch", "250",
             harness.win_path(watch_file), "--appear", "60000"],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)

        def watch_ended():
            try:
                with open(watch_file, "rb") as f:
                    tail = f.read().rstrip().rsplit(b"\n", 1)[-1]
                return b'"gone"' in tail or b'"never_appeared"' in tail
            except FileNotFoundError:
                return False

        # The virtual desktop takes a few seconds to come up: time the pictures from the moment the
        # window exists.
        while last_snapshot(watch_file) is None and not watch_ended() and time.monotonic() - started < 60:
            time.sleep(0.1)
        seen = time.monotonic()
        print(f"demo: window created {seen - started:.1f} s after start")
        # The pictures: the window while the data file is coming, and at the success message.
        shots = [(downloading, os.path.join(DEMO, "screenshot.png")),
                 (succeeded, os.path.join(DEMO, "screenshot-2.png"))]
        for due, path in shots:
            while not watch_ended() and time.monotonic() - started < args.timeout:
                snap = last_snapshot(watch_file)
                if snap and due(snap):
                    break
                time.sleep(0.1)
            if watch_ended():
                break
            try:
                harness.screenshot(path)
                print(f"demo: screenshot {path} at {time.monotonic() - seen:.1f} s after the window was created")
                # The window alone, as the README shows it (the virtual desktop covers the screen).
                left, top, right, bottom = last_snapshot(watch_file).data["rect"]
                subprocess.run(["convert", path, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                                path.replace(".png", "-window.png")], check=True, timeout=60)
            except (subprocess.SubprocessError, OSError) as e:
                print(f"demo: screenshot failed: {e}")

        while not watch_ended() and time.monotonic() - started < args.timeout:
            time.sleep(0.2)
        if watch_ended():
            print(f"demo: the updater's window closed after {time.monotonic() - started:.1f} s")
        else:
            print(f"demo: the updater was still running after {args.timeout:.0f} s; ending it")
            end_updater(client, env)
        snap = last_snapshot(watch_file)
        if snap:
            print(f"demo: window \"{snap.caption}\" ({'visible' if snap.visible else 'hidden'}), last log:")
            for line in snap.log_lines():
                print(f"  | {line}")
            print(f"demo: status bar: {snap.status_text()!r}")
        else:
            print("demo: the updater's window was never seen")
        try:
            desktop.wait(15)  # the desktop goes when its last program has ended
        except subprocess.TimeoutExpired:
            pass
        time.sleep(1.0)  # the client program is started as the window closes
        print("demo: client folder now:")
        print("\n".join(listing(client)))
        marker = os.path.join(client, "testclient.started.txt")
        if os.path.exists(marker):
            with open(marker, encoding="utf-8") as f:
                print("demo: client program started:", f.read().strip())
        else:
            print("demo: client program not started")
        print("demo: requests seen by the update server:")
        for r in nginx.requests():
            print(f"  {r.method} {r.uri} -> {r.status}, {r.bytes_sent} bytes"
                  + (f", Range {r.range}" if r.range else "") + (f", agent {r.user_agent}" if r.user_agent else ""))
    finally:
        if desktop and desktop.poll() is None:
            end_updater(client, harness.wine_env())
        for p in (watcher, desktop):
            if p and p.poll() is None:
                p.kill()
                p.wait(10)
        nginx.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
