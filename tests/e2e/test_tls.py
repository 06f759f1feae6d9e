"""https from the main server to every file: lists, files and a resumed file over TLS from a
server whose certificate chains to an authority trusted in the test prefix; a server whose
certificate does not verify is refused, never used."""

import os

from harness import E2ETestCase, slow
from download_support import SUCCESS, config, content, file_requests, final_log, last_modified, read
from nginx_site import NginxSite
from tls_support import make_certificates, trust_in_prefix


class Https(E2ETestCase):
    def test_every_transfer_over_tls_resume_included_and_an_unverified_certificate_refused(self):
        certs = make_certificates(os.path.join(self.work, "certs"))
        trust_in_prefix(certs["ca_der"])
        site = os.path.join(self.work, "site")
        os.makedirs(site)
        server = NginxSite(site, os.path.join(self.work, "nginx-tls"), tls=certs["server"])
        self._servers.append(server)
        server.start()
        big = content(100000, seed=51)
        self.publish_site_files(site, {"big.bin": big, "sub/small.dat": content(700, seed=52)}, server.url)

        fresh = self.make_install("fresh")
        fresh.write_config(config(server.url))
        run = self.start(fresh)
        code, _ = run.wait_exit(slow(90))
        self.assertEqual((code, final_log(run)[-1]), (0, SUCCESS), final_log(run))
        self.assertEqual(read(fresh.file("big.bin")), big)
        self.assertEqual(read(fresh.file("sub", "small.dat")), content(700, seed=52))

        # Resumed over TLS: only the missing bytes are asked for.
        resumed = self.make_install("resumed")
        resumed.write_config(config(server.url))
        resumed.add_file("Update/big.bin", big[:40000])
        stamp = self.stamp_over_tls(server, certs)
        resumed.add_file("Update/big.bin.log", (stamp + "\r\n").encode("ascii"))
        run = self.start(resumed)
        code, _ = run.wait_exit(slow(90))
        self.assertEqual((code, final_log(run)[-1]), (0, SUCCESS), final_log(run))
        self.assertEqual(read(resumed.file("big.bin")), big)
        ranged = [r for r in file_requests(server) if r.range]
        self.assertEqual([(r.name, r.range, r.status) for r in ranged], [("big.bin", "bytes=40000-100000", 206)])

        # A certificate nobody vouches for: the list is not fetched, the run ends as a failure.
        untrusted_site = os.path.join(self.work, "untrusted-site")
        os.makedirs(untrusted_site)
        untrusted = NginxSite(untrusted_site, os.path.join(self.work, "nginx-untrusted"), tls=certs["untrusted"],
                              error_log_level="info")
        self._servers.append(untrusted)
        untrusted.start()
        self.publish_site_files(untrusted_site, {"x.dat": content(10)}, untrusted.url)
        refused = self.make_install("refused")
        refused.write_config(config(untrusted.url))
        run = self.start(refused)
        code, _ = run.wait_exit(slow(90))
        self.assertEqual((code, final_log(run)[-2:]), (0, ["serverurl.txt下载失败.", "服务器繁忙请稍候再进行升级..."]),
                         final_log(run))
        self.assertFalse(os.path.exists(refused.file("x.dat")))
        # Refused after the server's certificate was seen, not for want of a server: a handshake
        # got past the client's hello (it completed, or failed in the middle), and no request came.
        self.assertRegex(untrusted.error_log_text(), r"SSL_do_handshake\(\) failed|closed connection while waiting for "
                         r"request", "no TLS handshake reached the server")
        self.assertEqual(untrusted.requests(), [])

    def publish_site_files(self, site, files, url):
        release = site + "-release"
        for rel, data in files.items():
            p = os.path.join(release, *rel.split("/"))
            os.makedirs(os.path.dirname(p), exist_ok=True)
            with open(p, "wb") as f:
                f.write(data)
        self.publish_site(release, site, [url])

    @staticmethod
    def stamp_over_tls(server, certs):
        """The Last-Modified value the server sends, asked over the same TLS."""
        import ssl
        import urllib.request
        context = ssl.create_default_context(cafile=certs["server"][0])
        context.check_hostname = False
        request = urllib.request.Request(server.url + "big.bin", method="HEAD")
        with urllib.request.urlopen(request, timeout=10, context=context) as r:
            return r.headers["Last-Modified"]
