"""Choosing the update server: one echo per listed server, the fastest chosen, the files then
fetched from it. Servers are loopback addresses on port 80 and, for a server that stays silent to
echoes, nginx inside a network namespace of the test's own (loopback always answers echoes)."""

import os
import unittest

from harness import E2ETestCase, slow
from netns_support import (NamespacedNginxSite, SilentHost, crlf, dates_during, list_config,
                           loopback_port80_addresses, require_netns, write_site_file)

PAYLOAD = b"update payload\r\n" * 64
PAYLOAD_NAME = "payload.bin"
CHOSEN_PREFIX = "最快的升级站点是:"


def final_log(run):
    return run.final_log()


def chosen_in_log(snap):
    return snap.complete() and any(line.startswith(CHOSEN_PREFIX) for line in snap.log_lines())


class RankingChecks:
    def assert_ranking(self, snap, listed, silent):
        """The two ranking lists agree with each other and with the ordering rules; servers in
        `silent` rank as 500. Returns the URL that heads the ranking."""
        values = snap.list_items("ListBox_PingValue")
        entries = snap.list_items("ListBox_ServerUrl")
        self.assertEqual(len(values), len(listed), f"ping values {values} for {listed}")
        self.assertEqual(len(entries), len(listed), f"server entries {entries}")
        for v in values:
            self.assertRegex(v, r"^\d+$", f"ping value {v!r} is not a whole number")
        self.assertEqual(values, sorted(values, key=int), "ping values not in ascending order")
        parsed = []
        for entry, value in zip(entries, values):
            # Entries start with "0" value "0" where value is the entry's own ping value.
            self.assertTrue(entry.startswith("0" + value + "0"), f"{entry!r} does not carry value {value}")
            parsed.append((value, entry[len(value) + 2:]))
        self.assertEqual(sorted(u for _, u in parsed), sorted(listed), "entries do not hold the listed URLs")
        self.assertEqual(parsed, sorted(parsed, key=lambda p: (int(p[0]), p[1].lower())),
                         "entries not ordered by value, then URL ignoring case")
        by_url = {u: v for v, u in parsed}
        for url in silent:
            self.assertEqual(by_url[url], "500", f"{url} did not answer and must rank as 500")
        for url in set(listed) - set(silent):
            self.assertLess(int(by_url[url]), 500, f"{url} answers echoes on loopback")
        return parsed[0][1]

    def assert_waited_for_echo(self, main, chosen_site):
        lists_done = [r.time for r in main.requests(at_least=2) if r.name == "updatelist.txt"][0]
        first_file = [r.time for r in chosen_site.requests(at_least=1) if r.name == PAYLOAD_NAME][0]
        self.assertGreaterEqual(first_file - lists_done, 6.5, "the silent server's echo was not waited for")
        self.assertLess(first_file - lists_done, slow(20), "measuring took far longer than one echo time-out")

    def assert_files_from(self, chosen_site, other_sites, path, started_wall):
        got = [r for r in chosen_site.requests(at_least=1) if r.name == PAYLOAD_NAME]
        self.assertTrue(got, f"the chosen server saw {chosen_site.requests()}")
        for r in got:
            self.assertEqual(r.path, path + PAYLOAD_NAME)
            self.assertIn(r.query, dates_during(started_wall))
        for site in other_sites:
            self.assertEqual([r for r in site.requests() if r.name == PAYLOAD_NAME], [],
                             f"a server that was not chosen was asked for files ({site.url})")


class SilentServer(E2ETestCase, RankingChecks):
    """Two answering loopback servers and one in a namespace that ignores echoes."""

    def setUp(self):
        super().setUp()
        require_netns()
        self.silent = SilentHost()
        self.addCleanup(self.silent.close)

    def mirror(self, address, path, netns=None):
        site = os.path.join(self.work, f"site-{address}")
        write_site_file(site, path.strip("/") + "/" + PAYLOAD_NAME, PAYLOAD)
        work = os.path.join(self.work, f"nginx-{address}")
        if netns:
            server = NamespacedNginxSite(netns, site, work)
            self._servers.append(server)
            return server.start()
        return self.serve(site, host=address, port=80)

    def main_site(self, server_lines):
        site = os.path.join(self.work, "main-site")
        write_site_file(site, "serverurl.txt", crlf(server_lines))
        write_site_file(site, "updatelist.txt", crlf([f"{PAYLOAD_NAME}|{len(PAYLOAD)}|"]))
        return self.serve(site)

    def test_the_fastest_answering_server_is_chosen_and_the_silent_one_ranks_as_500(self):
        self.assertTrue(self.silent.echo_ignored())
        a, b = loopback_port80_addresses(2)
        # Letter case in the paths: the chosen URL must be used exactly as listed. The silent
        # server's URL sorts first ("http://10." before "http://127."): ranked as if it had
        # answered at once, it would be chosen.
        urls = {
            "silent": f"http://{self.silent.address}/Silent/",
            "a": f"http://{a}/Mirror-A/",
            "b": f"http://{b}/mIRROR_b/",
        }
        sites = {
            "silent": self.mirror(self.silent.address, "/Silent/", netns=self.silent),
            "a": self.mirror(a, "/Mirror-A/"),
            "b": self.mirror(b, "/mIRROR_b/"),
        }
        main = self.main_site([urls["b"], urls["silent"], urls["a"]])
        install = self.make_install()
        install.write_config(list_config(main.url))
        run = self.start(install)

        chosen_snap = run.wait_for(chosen_in_log, slow(60), "the chosen server in the log")
        chosen = self.assert_ranking(chosen_snap, list(urls.values()), [urls["silent"]])
        self.assertNotEqual(chosen, urls["silent"])
        self.assertEqual(chosen_snap.list_items("ListBox_ServerUrl")[-1],
                         "05000" + urls["silent"], "the silent server ranks last")
        log = chosen_snap.log_lines()
        at = log.index(CHOSEN_PREFIX + chosen)
        self.assertEqual(log[at + 1:at + 2], ["正在下载更新文件..."])

        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)
        self.assertIn("程序更新成功...", final_log(run))
        with open(install.file(PAYLOAD_NAME), "rb") as f:
            self.assertEqual(f.read(), PAYLOAD)
        key = next(k for k, u in urls.items() if u == chosen)
        self.assert_files_from(sites[key], [s for k, s in sites.items() if k != key],
                               "/" + chosen.split("/", 3)[3], run.started_wall)
        self.assertEqual(sites["silent"].requests(), [], "nobody asked the silent server anything")
        # The window is busy while it measures, so timings come from the servers' logs: after the
        # update list the silent server's echo waits 4 s, and the choice follows 3 s later.
        self.assert_waited_for_echo(main, sites[key])
        # The main server served only the two lists.
        self.assertEqual(sorted(r.name for r in main.requests()), ["serverurl.txt", "updatelist.txt"])

    def test_when_no_server_answers_the_url_that_sorts_first_is_chosen(self):
        # Both rank as 500: the silent one by its missing echo reply, the other because a host with
        # a port does not resolve. The silent one's URL sorts first and it serves HTTP, so the
        # files come from it.
        silent_url = f"http://{self.silent.address}/Silent/"
        silent_site = self.mirror(self.silent.address, "/Silent/", netns=self.silent)
        main_site_dir = os.path.join(self.work, "main-site")
        main = self.serve(main_site_dir)
        port_url = f"http://127.0.0.1:{main.port}/"
        write_site_file(main_site_dir, PAYLOAD_NAME, PAYLOAD)
        write_site_file(main_site_dir, "serverurl.txt", crlf([port_url, silent_url]))
        write_site_file(main_site_dir, "updatelist.txt", crlf([f"{PAYLOAD_NAME}|{len(PAYLOAD)}|"]))
        install = self.make_install()
        install.write_config(list_config(main.url))
        run = self.start(install)

        snap = run.wait_for(chosen_in_log, slow(60), "the chosen server in the log")
        self.assertEqual(snap.list_items("ListBox_PingValue"), ["500", "500"])
        self.assertEqual(snap.list_items("ListBox_ServerUrl"), ["05000" + silent_url, "05000" + port_url])
        self.assertIn(CHOSEN_PREFIX + silent_url, snap.log_lines())

        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)
        self.assertIn("程序更新成功...", final_log(run))
        self.assert_files_from(silent_site, [], "/Silent/", run.started_wall)
        self.assert_waited_for_echo(main, silent_site)
        self.assertNotIn(PAYLOAD_NAME, [r.name for r in main.requests()])


class PortInServerUrl(E2ETestCase, RankingChecks):
    """No namespace needed: a URL with a port ranks as 500 even though its host answers echoes."""

    def test_a_server_url_with_a_port_ranks_as_500_behind_an_answering_server(self):
        (a,) = loopback_port80_addresses(1)
        mirror_dir = os.path.join(self.work, "mirror")
        write_site_file(mirror_dir, "files/" + PAYLOAD_NAME, PAYLOAD)
        mirror = self.serve(mirror_dir, host=a, port=80)
        main_dir = os.path.join(self.work, "main-site")
        main = self.serve(main_dir)
        # Sorts first and has the same files, but ":port" is not a host name.
        port_url = f"http://127.0.0.1:{main.port}/"
        good_url = f"http://{a}/files/"
        write_site_file(main_dir, PAYLOAD_NAME, PAYLOAD)
        write_site_file(main_dir, "serverurl.txt", crlf([port_url, good_url]))
        write_site_file(main_dir, "updatelist.txt", crlf([f"{PAYLOAD_NAME}|{len(PAYLOAD)}|"]))
        install = self.make_install()
        install.write_config(list_config(main.url))
        run = self.start(install)

        snap = run.wait_for(chosen_in_log, slow(60), "the chosen server in the log")
        chosen = self.assert_ranking(snap, [port_url, good_url], [port_url])
        self.assertEqual(chosen, good_url)
        self.assertIn(CHOSEN_PREFIX + good_url, snap.log_lines())
        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)
        self.assert_files_from(mirror, [main], "/files/", run.started_wall)

    def test_servers_at_500_are_ordered_by_url_ignoring_letter_case(self):
        # Both URLs carry a port, so neither resolves; "/a/" comes before "/B/" only when case
        # is ignored (in byte order "B" sorts first).
        main_dir = os.path.join(self.work, "main-site")
        main = self.serve(main_dir)
        lower = f"http://127.0.0.1:{main.port}/a/"
        upper = f"http://127.0.0.1:{main.port}/B/"
        for path in ("a", "B"):
            write_site_file(main_dir, f"{path}/{PAYLOAD_NAME}", PAYLOAD)
        write_site_file(main_dir, "serverurl.txt", crlf([upper, lower]))
        write_site_file(main_dir, "updatelist.txt", crlf([f"{PAYLOAD_NAME}|{len(PAYLOAD)}|"]))
        install = self.make_install()
        install.write_config(list_config(main.url))
        run = self.start(install)

        snap = run.wait_for(chosen_in_log, slow(60), "the chosen server in the log")
        self.assertEqual(snap.list_items("ListBox_ServerUrl"), ["05000" + lower, "05000" + upper])
        self.assertIn(CHOSEN_PREFIX + lower, snap.log_lines())
        code, _ = run.wait_exit(slow(60))
        self.assertEqual(code, 0)
        files = [r.path for r in main.requests() if r.name == PAYLOAD_NAME]
        self.assertEqual(files, ["/a/" + PAYLOAD_NAME])


if __name__ == "__main__":
    unittest.main()
