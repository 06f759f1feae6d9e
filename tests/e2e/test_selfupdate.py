"""Self-update as it happens on disk: a new updater offered as "update.rar" replaces update.exe
through the batch file after the updater has ended, and the batch removes itself."""

import os
import time
import unittest

from harness import E2ETestCase, slow
from download_support import SUCCESS, Site, config, content, file_requests, final_log, read

BATCH = "Up_Update.bat"


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

        # The batch deletes itself, so its text is kept through a second name: a leftover batch
        # from an earlier run is overwritten in place, and the copy under the other name follows.
        kept = os.path.join(self.work, "batch-as-written")
        with open(install.file(BATCH), "wb"):
            pass
        os.link(install.file(BATCH), kept)
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
        self.assertEqual(read(install.file("update.exe")), new_updater)
        self.assertFalse(os.path.exists(install.file(BATCH)), "the batch did not delete itself")
        self.assertEqual(read(install.file("update.rar")), new_updater)
        self.assertFalse(os.path.exists(install.file("Update")))

        written = read(kept)
        lines = written.split(b"\r\n")
        self.assertEqual(lines[-1], b"", written)
        lines = lines[:-1]
        self.assertEqual(len(lines), 6, written)
        self.assertEqual(lines[:2], [b"@ECHO OFF", b"CLS"])
        # Only a pause: the tests must never reach beyond the loopback network.
        self.assertIn(lines[2], (b"ping localhost", b"ping 127.0.0.1"))
        self.assertEqual(lines[3:], [b"del update.exe", b"copy update.rar update.exe", b"del %0"])


if __name__ == "__main__":
    unittest.main()
