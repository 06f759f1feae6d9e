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


def pids_of_program(windows_path):
    """The processes whose command starts with this Windows program path (letter case aside):
    the Wine processes of a program started from that file, however they were started."""
    import os
    wanted = windows_path.lower()
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                first = f.read().split(b"\0")[0].decode("utf-8", "replace").lower()
        except OSError:
            continue
        if first == wanted:
            found.append(int(pid))
    return found
