"""Self-update as it happens on disk: a new updater offered as "update.rar" replaces update.exe
through the batch file after the updater has ended, and the batch removes itself."""

import os
import threading
import time
import unittest

from harness import E2ETestCase, slow
from download_support import SUCCESS, Site, config, content, file_requests, final_log, read

BATCH = "Up_Update.bat"


class BatchWatcher(threading.Thread):
    """Reads the batch file as often as it can while it exists, keeping the fullest copy seen."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.path = path
        self.seen = b""
        self.stop = threading.Event()

    def run(self):
        while not self.stop.is_set():
            try:
                with open(self.path, "rb") as f:
                    data = f.read()
                if len(data) > len(self.seen):
                    self.seen = data
            except OSError:
                pass
            time.sleep(0.01)


class SelfUpdate(E2ETestCase):
    def test_update_rar_replaces_the_updater_after_it_has_ended(self):
        new_updater = content(4321, seed=11)
        site = Site(os.path.join(self.work, "site"))
        site.add("update.rar", new_updater)
        nginx = self.serve(site.path)
        site.write_lists([f"update.rar|{len(new_updater)}|"], [nginx.url])
        install = self.make_install()
        install.write_config(config(nginx.url))
        old_updater = read(install.file("update.exe"))

        watcher = BatchWatcher(install.file(BATCH))
        watcher.start()
        self.addCleanup(watcher.stop.set)
        run = self.start(install)
        code, _ = run.wait_exit(slow(90))
        exited = time.monotonic()
        at_exit = read(install.file("update.exe")) if os.path.exists(install.file("update.exe")) else None
        self.assertEqual(code, 0)
        self.assertEqual(final_log(run)[-1], SUCCESS, final_log(run))
        self.assertEqual([r.name for r in file_requests(nginx)], ["update.rar"])
        # The batch pauses before it deletes the executable: the updater is gone by then.
        self.assertEqual(at_exit, old_updater, "update.exe was changed before the updater had ended")

        deadline = exited + slow(15)
        while time.monotonic() < deadline:
            if not os.path.exists(install.file(BATCH)) and os.path.exists(install.file("update.exe")) and \
                    read(install.file("update.exe")) == new_updater:
                break
            time.sleep(0.1)
        watcher.stop.set()
        watcher.join(5)
        self.assertEqual(read(install.file("update.exe")), new_updater)
        self.assertFalse(os.path.exists(install.file(BATCH)), "the batch did not delete itself")
        self.assertEqual(read(install.file("update.rar")), new_updater)
        self.assertFalse(os.path.exists(install.file("Update")))

        if watcher.seen:
            lines = watcher.seen.split(b"\r\n")
            self.assertEqual(lines[-1], b"", watcher.seen)
            lines = lines[:-1]
            self.assertEqual(len(lines), 6, watcher.seen)
            self.assertEqual(lines[:2], [b"@ECHO OFF", b"CLS"])
            # Only a pause: the tests must never reach beyond the loopback network.
            self.assertIn(lines[2], (b"ping localhost", b"ping 127.0.0.1"))
            self.assertEqual(lines[3:], [b"del update.exe", b"copy update.rar update.exe", b"del %0"])
        else:
            print("note: Up_Update.bat was never caught while it existed; only the final state was checked")


if __name__ == "__main__":
    unittest.main()
