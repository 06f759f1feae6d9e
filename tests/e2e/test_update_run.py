"""A whole update run against a local update site, observed from outside: which files are
fetched, what lands where, what the log says, and the client program started at the end."""

import os
import unittest

from harness import E2ETestCase, site_config, slow, today


class UpdateRun(E2ETestCase):
    def test_missing_and_changed_files_are_installed_and_current_ones_skipped(self):
        data = bytes((i * 31) % 256 for i in range(300 * 1024))
        server = self.make_site({
            "data.bin": data,
            "readme.txt": "版本 2\r\n",
            "current.dat": b"same size",
            "plugins/plugin.dat": b"plug-in v2",
        })
        install = self.make_install()
        install.write_config(site_config(server.url))
        install.add_test_client()
        install.add_file("readme.txt", "版本 1, 长一些\r\n")  # another size: replaced
        install.add_file("current.dat", b"SAME SIZE")  # the listed size: left alone

        run = self.start(install)
        run.wait_for_log_line("程序更新成功...", slow(120))
        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)

        def content(rel):
            with open(install.file(*rel.split("/")), "rb") as f:
                return f.read()

        self.assertEqual(content("data.bin"), data)
        self.assertEqual(content("readme.txt"), "版本 2\r\n".encode("gbk"))
        self.assertEqual(content("plugins/plugin.dat"), b"plug-in v2")
        self.assertEqual(content("current.dat"), b"SAME SIZE")
        self.assertFalse(os.path.exists(install.file("Update")), "the Update folder is left behind")

        log = max(run.snapshots(), key=lambda s: len(s.log_lines())).log_lines()
        for line in ("data.bin正在下载...", "-->data.bin校验成功. ", "readme.txt正在更新...",
                     "current.dat不需要更新...", "plugin.dat正在下载...", "程序更新成功..."):
            self.assertIn(line, log)

        asked = [(r.path, r.query, r.status) for r in server.requests()]
        date = today()
        self.assertEqual(asked[:2], [("/serverurl.txt", date, 200), ("/updatelist.txt", date, 200)])
        self.assertEqual(sorted(asked[2:]), sorted([("/data.bin", date, 200), ("/readme.txt", date, 200),
                                                    ("/plugin.dat", date, 200)]))
        self.assertEqual(len(install.client_starts()), 1, "the client program should start once, at close")


if __name__ == "__main__":
    unittest.main()
