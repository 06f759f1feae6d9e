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
