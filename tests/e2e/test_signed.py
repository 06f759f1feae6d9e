"""Signed sites, by threat: a file swapped on the server, a list edited after signing or left
unsigned, a site signed with another key, an old signed list served again. Clients with the
publisher's PublicKey refuse each; nothing they installed before is touched."""

import os
import shutil

from harness import E2ETestCase, slow
from download_support import BUSY, SUCCESS, config, content, file_requests, final_log, read, tree

LIST_BUSY = "服务器繁忙请稍候再进行升级..."


class SignedCase(E2ETestCase):
    def setUp(self):
        super().setUp()
        import publish
        self.publish_module = publish
        self.key_path = os.path.join(self.work, "release.pem")
        self.public_key = publish.new_key(self.key_path)
        self.key = publish.load_key(self.key_path)
        self.release = os.path.join(self.work, "release")
        self.site = os.path.join(self.work, "site")
        os.makedirs(self.site)
        self.nginx = self.serve(self.site)

    def publish(self, files, key="own"):
        shutil.rmtree(self.release, ignore_errors=True)
        for rel, data in files.items():
            p = os.path.join(self.release, *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
        signing = self.key if key == "own" else key
        return self.publish_module.publish(self.release, self.site, [self.nginx.url], key=signing)

    def client(self, name, signed=True, files=None):
        install = self.make_install(name)
        extra = {"PublicKey": self.public_key} if signed else {}
        install.write_config(config(self.nginx.url, **extra))
        for rel, data in (files or {}).items():
            install.add_file(rel, data)
        return install

    def run_to_end(self, install):
        run = self.start(install)
        code, _ = run.wait_exit(slow(90))
        self.assertEqual(code, 0)
        return final_log(run)


class TamperedFile(SignedCase):
    def test_a_signed_site_installs_and_a_same_size_swap_on_the_server_is_refused(self):
        a, b = content(3000, seed=31), content(2000, seed=32)
        self.publish({"a.dat": a, "sub/b.dat": b})
        fresh = self.client("fresh")
        self.assertEqual(self.run_to_end(fresh)[-1], SUCCESS)
        self.assertEqual((read(fresh.file("a.dat")), read(fresh.file("sub", "b.dat"))), (a, b))

        # b.dat swapped on the server for other bytes of the same size.
        with open(os.path.join(self.site, "b.dat"), "wb") as f:
            f.write(content(2000, seed=99))
        older = content(2000, seed=33)  # an older version of the same size: fetched, then refused
        for install in (self.client("lacking"), self.client("older", files={"sub/b.dat": older}),
                        self.client("no-key", signed=False)):
            lines = self.run_to_end(install)
            self.assertEqual(lines[-3:], ["-->b.dat校验失败.", "SHA-256不符:b.dat", BUSY], install.path)
            self.assertEqual(read(install.file("a.dat")), a)
            self.assertFalse(os.path.exists(install.file("Update")), tree(install.path))
        self.assertEqual(read(os.path.join(self.work, "older", "sub", "b.dat")), older, "the installed copy stays")
        self.assertFalse(os.path.exists(os.path.join(self.work, "lacking", "sub", "b.dat")))


class TamperedLists(SignedCase):
    def test_edited_unsigned_foreign_and_older_lists_are_refused_before_anything_is_fetched(self):
        first = {"a.dat": content(1500, seed=41)}
        self.publish(first)
        saved = {n: read(os.path.join(self.site, n)) for n in os.listdir(self.site) if n.endswith((".txt", ".sig"))}
        install = self.client("client")
        self.assertEqual(self.run_to_end(install)[-1], SUCCESS)
        newer = {"a.dat": content(1500, seed=42)}
        self.publish(newer)
        self.assertEqual(self.run_to_end(install)[-1], SUCCESS, "a newer publication is taken")
        installed = read(install.file("a.dat"))
        self.assertEqual(installed, newer["a.dat"])

        def fetched_files():
            return [r for r in file_requests(self.nginx) if not r.name.endswith(".sig")]

        def refused(reason_start, list_name="serverurl.txt"):
            before = len(fetched_files())
            lines = self.run_to_end(install)
            failure = [line for line in lines if line.startswith(list_name + "签名校验失败:")]
            self.assertEqual(len(failure), 1, lines)
            self.assertTrue(failure[0].startswith(list_name + "签名校验失败:" + reason_start), failure)
            self.assertEqual(len(fetched_files()), before, "a file was fetched after a refused list")
            self.assertEqual(read(install.file("a.dat")), installed)

        # Rollback: the first publication's lists and signatures, served again.
        for name, data in saved.items():
            with open(os.path.join(self.site, name), "wb") as f:
                f.write(data)
        refused("序号")
        # A list edited after signing.
        self.publish(newer)
        with open(os.path.join(self.site, "updatelist.txt"), "ab") as f:
            f.write(b"evil.exe|10|\r\n")
        refused("签名不符", "updatelist.txt")
        # No signature at all.
        os.remove(os.path.join(self.site, "serverurl.txt.sig"))
        refused("缺少签名文件")
        # Signed, but with another key.
        other = os.path.join(self.work, "other.pem")
        self.publish_module.new_key(other)
        self.publish(newer, key=self.publish_module.load_key(other))
        refused("签名不符")
        # The list the client kept is still the last good one.
        self.assertNotIn(b"evil.exe", read(install.file("updatelist.txt")))
