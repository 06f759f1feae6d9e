"""Ending the helper processes the scenarios start (servers, Xvfb)."""

import subprocess


def stop_process(process, grace=10):
    """Asks a running process to end, and kills it when it has not ended within `grace` seconds."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(5)


def pids_of_program(path):
    """The processes running the program at this (Unix) path under Wine: their command starts with
    the path itself (started from here) or with its Wine name "Z:\\..." (started by a Windows
    program or the shell), letter case aside."""
    import os
    unix = os.path.abspath(path).lower()
    wanted = {unix, "z:" + unix.replace("/", "\\")}
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                first = f.read().split(b"\0")[0].decode("utf-8", "replace").lower()
        except OSError:
            continue
        if first in wanted:
            found.append(int(pid))
    return found
