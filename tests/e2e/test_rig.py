"""Checks of the test rig itself, so that a failing scenario points at the updater and not at the
tools: the site publisher, the test nginx, the window probe and the test client."""

import hashlib
import http.client
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness
import publish
from nginx_site import NginxSite, closed_port


class Publisher(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="publish-")
        self.release = os.path.join(self.dir, "release")
        os.makedirs(os.path.join(self.release, "Plugins"))
        with open(os.path.join(self.release, "Client.EXE"), "wb") as f:
            f.write(b"x" * 1234567)
        with open(os.path.join(self.release, "Plugins", "資料.dat"), "wb") as f:
            f.write(b"abc")
        with open(os.path.join(self.release, "UpdateList.txt"), "wb") as f:
            f.write(b"stale")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def read(self, path):
        with open(path, "rb") as f:
            return f.read()

    def test_lists_are_gbk_with_crlf_and_the_site_is_flat_and_lower_case(self):
        site = os.path.join(self.dir, "site")
        lines = publish.publish(self.release, site, ["http://127.0.0.1:1/", "http://127.0.0.2:2/x/"])
        self.assertEqual(lines, ["Client.EXE|1234567|", "資料.dat|3|Plugins\\"])
        self.assertEqual(self.read(os.path.join(site, "updatelist.txt")),
                         "Client.EXE|1234567|\r\n資料.dat|3|Plugins\\\r\n".encode("gbk"))
        self.assertEqual(self.read(os.path.join(site, "serverurl.txt")),
                         b"http://127.0.0.1:1/\r\nhttp://127.0.0.2:2/x/\r\n")
        # Lower case throughout: the updater asks for every configured name in lower case, and
        # in GBK bytes, which is what the server finds on disk.
        self.assertEqual(sorted(os.listdir(os.fsencode(site))),
                         sorted([b"client.exe", "資料.dat".encode("gbk"), b"updatelist.txt", b"serverurl.txt"]))
        self.assertEqual(os.path.getsize(os.path.join(site, "client.exe")), 1234567)

    def test_thousands_separators_and_exclusions(self):
        site = os.path.join(self.dir, "site")
        lines = publish.publish(self.release, site, ["http://127.0.0.1:1/"], thousands=True,
                                exclude=["plugins\\資料.dat"])
        self.assertEqual(lines, ["Client.EXE|1,234,567|"])

    def test_lists_take_the_configured_names_in_lower_case(self):
        site = os.path.join(self.dir, "site")
        with open(os.path.join(self.release, "Files.LST"), "wb") as f:
            f.write(b"old list")
        lines = publish.publish(self.release, site, ["http://127.0.0.1:1/"], list_name="Files.LST",
                                server_list_name="Servers.TXT")
        self.assertEqual([l.split("|")[0] for l in lines], ["Client.EXE", "UpdateList.txt", "資料.dat"])
        self.assertTrue(os.path.isfile(os.path.join(site, "files.lst")))
        self.assertTrue(os.path.isfile(os.path.join(site, "servers.txt")))

    def test_names_are_stored_as_the_gbk_bytes_the_updater_requests(self):
        # (release path, the name on the site's disk, listed as not plain ASCII)
        cases = [("普通.dat", "普通.dat".encode("gbk"), True),
                 ("数据/说明.TXT", b"\xcb\xb5\xc3\xf7.txt", True),
                 ("ＡＢ.dat", "ａｂ.dat".encode("gbk"), True),  # full-width letters lower-case too
                 ("Plain Name.BIN", b"plain name.bin", False)]
        release = os.path.join(self.dir, "names")
        for rel, _, _ in cases:
            p = os.path.join(release, *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(rel.encode("utf-8"))
        site = os.path.join(self.dir, "site")
        report = []
        lines = publish.publish(release, site, ["http://127.0.0.1:1/"], list_name="更新列表.TXT",
                                server_list_name="服务器.txt", report=report)
        for rel, on_disk, _ in cases:
            self.assertEqual(self.read(os.path.join(os.fsencode(site), on_disk)), rel.encode("utf-8"))
        self.assertEqual(sorted(report), sorted(r.replace("/", "\\") for r, _, wide in cases if wide))
        self.assertEqual(self.read(os.path.join(os.fsencode(site), "更新列表.txt".encode("gbk"))),
                         "".join(l + "\r\n" for l in lines).encode("gbk"))
        self.assertIn("说明.TXT|", "".join(lines))  # the list keeps the name as released
        self.assertTrue(os.path.isfile(os.path.join(os.fsencode(site), "服务器.txt".encode("gbk"))))

        # A name outside GBK is refused, naming the file, before anything is written.
        refused = os.path.join(self.dir, "refused")
        os.makedirs(os.path.join(refused, "data"))
        with open(os.path.join(refused, "data", "한글.dat"), "wb") as f:
            f.write(b"1")
        with self.assertRaisesRegex(publish.PublishError, r"data\\한글\.dat: .*GBK"):
            publish.publish(refused, os.path.join(self.dir, "site2"), ["http://127.0.0.1:1/"])
        self.assertFalse(os.path.exists(os.path.join(self.dir, "site2")))

    def test_signed_publication_hashes_signatures_and_sequences(self):
        script = os.path.join(harness.PROJECT, "scripts", "publish.py")
        key_path = os.path.join(self.dir, "key.pem")
        p = subprocess.run(["python3", script, "--new-key", key_path], capture_output=True, text=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertRegex(p.stdout, r"^PublicKey=04[0-9a-f]{128}\n$")
        self.assertEqual(os.stat(key_path).st_mode & 0o777, 0o600)
        self.assertNotEqual(subprocess.run(["python3", script, "--new-key", key_path], capture_output=True,
                                           timeout=60).returncode, 0, "an existing key is never overwritten")

        from cryptography.hazmat.primitives import hashes
        from cryptography.hazmat.primitives.asymmetric import ec
        from cryptography.hazmat.primitives.asymmetric.utils import encode_dss_signature
        public = ec.EllipticCurvePublicKey.from_encoded_point(ec.SECP256R1(), bytes.fromhex(p.stdout.split("=")[1]))

        def verify(site, name):
            data = self.read(os.path.join(site, name))
            fields = dict(line.split("=", 1) for line in self.read(os.path.join(site, name + ".sig")).decode().split())
            sig = bytes.fromhex(fields["Signature"])
            public.verify(encode_dss_signature(int.from_bytes(sig[:32], "big"), int.from_bytes(sig[32:], "big")),
                          b"Sequence=%s\r\nList=%s\r\n" % (fields["Sequence"].encode(), name.encode()) + data,
                          ec.ECDSA(hashes.SHA256()))
            return int(fields["Sequence"])

        site = os.path.join(self.dir, "site")
        key = publish.load_key(key_path)
        lines = publish.publish(self.release, site, ["https://127.0.0.1:1/"], key=key)
        self.assertEqual(lines[0], "Client.EXE|1234567||" + hashlib.sha256(b"x" * 1234567).hexdigest())
        first = verify(site, "updatelist.txt")
        self.assertEqual(verify(site, "serverurl.txt"), first, "one sequence per publication")
        publish.publish(self.release, site, ["https://127.0.0.1:1/"], key=key)
        self.assertGreater(verify(site, "updatelist.txt"), first)

        # Without a key: exactly today's output, and no stale signature left behind.
        plain = publish.publish(self.release, site, ["http://127.0.0.1:1/"])
        self.assertEqual(plain[0], "Client.EXE|1234567|")
        self.assertFalse(os.path.exists(os.path.join(site, "updatelist.txt.sig")))
        self.assertEqual(sorted(os.listdir(site)), sorted(["client.exe", "資料.dat".encode("gbk").decode("utf-8", "surrogateescape"),
                                                           "updatelist.txt", "serverurl.txt"]))

    def test_refuses_two_files_served_under_one_name(self):
        with open(os.path.join(self.release, "Plugins", "client.exe"), "wb") as f:
            f.write(b"1")
        with self.assertRaises(publish.PublishError):
            publish.publish(self.release, os.path.join(self.dir, "site"), ["http://127.0.0.1:1/"])

    def test_refuses_a_server_url_without_final_slash(self):
        with self.assertRaises(publish.PublishError):
            publish.publish(self.release, os.path.join(self.dir, "site"), ["http://127.0.0.1:1"])

    def test_command_line(self):
        site = os.path.join(self.dir, "site")
        script = os.path.join(harness.PROJECT, "scripts", "publish.py")
        p = subprocess.run(["python3", script, self.release, site, "--server", "http://127.0.0.1:9/"],
                           capture_output=True, timeout=60)
        self.assertEqual(p.returncode, 0, p.stderr)
        self.assertTrue(os.path.isfile(os.path.join(site, "serverurl.txt")))
        p = subprocess.run(["python3", script, self.release], capture_output=True, timeout=60)
        self.assertNotEqual(p.returncode, 0, "no server given and no --no-server-list")


class NginxServer(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="nginx-")
        self.site = os.path.join(self.dir, "site")
        os.makedirs(self.site)
        with open(os.path.join(self.site, "a.bin"), "wb") as f:
            f.write(bytes(range(256)) * 40)
        self.nginx = NginxSite(self.site, os.path.join(self.dir, "work")).start()

    def tearDown(self):
        self.nginx.stop()
        shutil.rmtree(self.dir)

    def get(self, path, headers=None):
        c = http.client.HTTPConnection(self.nginx.host, self.nginx.port, timeout=10)
        try:
            c.request("GET", path, headers=headers or {})
            r = c.getresponse()
            return r.status, dict(r.getheaders()), r.read()
        finally:
            c.close()

    def test_whole_file_with_length_and_last_modified_and_the_query_ignored(self):
        status, headers, body = self.get("/a.bin?20261208", {"User-Agent": "probe-agent"})
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Length"], "10240")
        self.assertIn("Last-Modified", headers)
        self.assertEqual(len(body), 10240)
        req = self.nginx.requests(at_least=1)[-1]
        self.assertEqual((req.method, req.path, req.query, req.status, req.range, req.user_agent),
                         ("GET", "/a.bin", "20261208", 200, "", "probe-agent"))

    def test_range_request_is_answered_partially_and_logged(self):
        status, headers, body = self.get("/a.bin", {"RANGE": "bytes=10000-10240"})
        self.assertEqual(status, 206)
        self.assertEqual(body, (bytes(range(256)) * 40)[10000:])
        self.assertEqual(self.nginx.requests(at_least=1)[-1].range, "bytes=10000-10240")

    def test_missing_file_is_404(self):
        self.assertEqual(self.get("/none.txt")[0], 404)
        self.assertEqual(self.nginx.requests(at_least=1)[-1].status, 404)

    def test_stop_frees_the_port(self):
        self.nginx.stop()
        with self.assertRaises(OSError):
            self.get("/a.bin")

    def test_closed_port_refuses(self):
        import socket
        with self.assertRaises(OSError):
            socket.create_connection(("127.0.0.1", closed_port()), timeout=5).close()


class ProbeAndTestClient(unittest.TestCase):
    """The probe against a window of known content, shown by the test client."""

    @classmethod
    def setUpClass(cls):
        harness.program("probe")
        harness.program("testclient")
        harness.ensure_prefix()

    def setUp(self):
        self.dir = os.path.join(harness.build_dir(), "e2e", "rig", self._testMethodName)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        self.client = os.path.join(self.dir, "client.exe")
        shutil.copy2(harness.program("testclient"), self.client)
        self.procs = []

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.kill()
                p.wait(10)

    def start_client(self, *args):
        p = harness.wine_popen([self.client] + list(args), cwd=self.dir, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        self.procs.append(p)
        return p

    def markers(self):
        try:
            with open(os.path.join(self.dir, "client.started.txt"), encoding="utf-8") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def test_client_records_each_start_and_its_exit_code(self):
        self.assertEqual(self.start_client("exit", "7").wait(harness.slow(60)), 7)
        self.assertEqual(self.start_client().wait(harness.slow(60)), 0)
        lines = self.markers()
        self.assertEqual(len(lines), 2, lines)
        self.assertTrue(lines[0].endswith("exit 7"), lines[0])
        self.assertRegex(lines[1], r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\t")

    def test_dump_reads_texts_lists_geometry_and_state(self):
        self.start_client("window", "60")
        deadline = time.monotonic() + harness.slow(60)
        snap = None
        while time.monotonic() < deadline and snap is None:
            snap = harness.probe_dump("--class", "ProbeTestForm")
            if snap is None:
                time.sleep(0.2)
        self.assertIsNotNone(snap, "the probe found no window")
        s = harness.Snapshot(snap)
        self.assertEqual(s.caption, "探针测试 Probe")
        self.assertEqual(s.client_size, (393, 253))
        self.assertEqual(s.log_lines(), ["第一行", "line two"])
        self.assertEqual(s.status_text(), "状态 ready")
        self.assertEqual(s.list_items("ListBoxUpdateDownLoad"), ["a.dll|1,234|", "数据.dat|5|sub\\"])
        self.assertEqual(s.field("ServerUrl"), "http://127.0.0.1/")
        self.assertEqual(s.control("PageControl2")["rect"][:2], [424, 16])
        self.assertEqual(s.control("ServerUrl")["rect"][:2], [432, 24])
        self.assertEqual([c["name"] for c in s.descendants_of("PageControl2")],
                         ["ServerUrl", "Button_JianCeWangLuo", "ListBoxUpdateDownLoad"])
        self.assertEqual(s.control("DownLoadProgressBar")["position"], 50)
        self.assertEqual(s.control("DownLoadProgressBar")["range"], [0, 200])
        self.assertTrue(s.control("MemoUpdateLog")["readonly"])

    def test_watch_follows_the_window_until_it_is_gone(self):
        client = self.start_client("window", "4")
        out = os.path.join(self.dir, "watch.jsonl")
        watcher = subprocess.run(["wine", harness.program("probe"), "watch", "200", harness.win_path(out),
                                  "--class", "ProbeTestForm", "--appear", "60000"],
                                 env=harness.wine_env(), stdin=subprocess.DEVNULL, capture_output=True,
                                 timeout=harness.slow(120))
        self.assertEqual(watcher.returncode, 0, watcher.stderr)
        self.assertEqual(client.wait(harness.slow(30)), 0)
        import json
        with open(out, encoding="utf-8") as f:
            lines = [json.loads(line) for line in f if line.strip()]
        self.assertTrue(lines[-1].get("gone"), lines[-1])
        snaps = lines[:-1]
        self.assertGreaterEqual(len(snaps), 5, "too few snapshots in about 4 s")
        times = [s["t"] for s in snaps]
        self.assertEqual(times, sorted(times))
        self.assertEqual({s["caption"] for s in snaps}, {"探针测试 Probe"})

    def test_exists_and_list_see_only_matching_windows(self):
        rc, _ = harness.run_probe("exists", "--class", "ProbeTestForm")
        self.assertEqual(rc, 1)
        self.start_client("window", "60")
        deadline = time.monotonic() + harness.slow(60)
        while time.monotonic() < deadline and harness.run_probe("exists", "--class", "ProbeTestForm")[0] != 0:
            time.sleep(0.2)
        forms = harness.probe_list("--class", "ProbeTestForm")
        self.assertEqual(len(forms), 1)
        self.assertEqual(harness.probe_list("--class", "ProbeTestForm", "--pid", str(forms[0]["pid"] + 1)), [])
        rc, _ = harness.run_probe("click", "NoSuchControl", "--class", "ProbeTestForm")
        self.assertEqual(rc, 1)


if __name__ == "__main__":
    unittest.main()
