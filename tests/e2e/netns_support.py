"""Hosts of the tests' own for the update-server scenarios.

Under Linux every 127.x.y.z address answers ICMP echo, so a server that stays silent to echoes
needs a network stack of its own: `SilentHost` makes a network namespace joined to this one by a
veth pair on a /30 of 10.231.0.0/16, turns echo replies off inside it and can run nginx there.
The namespace (and with it both veth ends) is removed on every path: by `close()`, by the context
manager, and at interpreter exit for anything a crashed test left behind.

`loopback_port80_addresses()` picks loopback addresses on which port 80 is still free, so update
servers can be written without a port (a host with ":port" does not resolve and ranks as 500).

The list scenarios share the small helpers at the end: today's date query, a configuration for a
main server, and site folders whose list files are written byte for byte.
"""

import atexit
import contextlib
import itertools
import os
import shutil
import socket
import subprocess
import time
import unittest

from harness import run_config
from nginx_site import NGINX, NginxSite
from procutil import stop_process

IP = shutil.which("ip") or "/usr/sbin/ip"

_open_hosts = []


def require_netns():
    """Raises SkipTest, with the reason, when namespaces cannot be made here."""
    if os.geteuid() != 0:
        raise unittest.SkipTest("needs root to create a network namespace (ip netns add)")
    if not os.path.exists(IP):
        raise unittest.SkipTest("the ip tool (iproute2) is not installed")
    probe = subprocess.run([IP, "netns", "list"], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if probe.returncode != 0:
        raise unittest.SkipTest(f"ip netns does not work here: {probe.stderr.decode(errors='replace').strip()}")


def _run(*args, check=True):
    p = subprocess.run(list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
    if check and p.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed ({p.returncode}): {p.stderr.decode(errors='replace').strip()}")
    return p


def _existing_namespaces():
    out = _run(IP, "netns", "list", check=False).stdout.decode(errors="replace")
    return {line.split()[0] for line in out.splitlines() if line.strip()}


def _existing_links():
    out = _run(IP, "-o", "link", "show", check=False).stdout.decode(errors="replace")
    names = set()
    for line in out.splitlines():
        parts = line.split(":")
        if len(parts) > 1:
            names.add(parts[1].strip().split("@")[0])
    return names


class SilentHost:
    """A network namespace reachable at `address` from here; it answers TCP but not ICMP echo."""

    def __init__(self, answer_echo=False):
        require_netns()
        self.answer_echo = answer_echo
        self.name = None
        self._root_link = None
        self._processes = []
        taken_ns = _existing_namespaces()
        taken_links = _existing_links()
        # /30 blocks 10.231.<n>.0/30 for n = 1..250; names carry our pid so parallel runs differ.
        for n in itertools.chain(range(1 + os.getpid() % 200, 251), range(1, 251)):
            name = f"upd-e2e-{os.getpid()}-{n}"
            link = f"ue{n}r"
            if name in taken_ns or link in taken_links or self._address_in_use(n):
                continue
            self.index = n
            break
        else:
            raise RuntimeError("no free 10.231.n.0/30 block for a test namespace")
        self.name = name
        self._root_link = link
        self._ns_link = f"ue{self.index}n"
        self.gateway = f"10.231.{self.index}.1"  # this side
        self.address = f"10.231.{self.index}.2"  # inside the namespace
        _open_hosts.append(self)
        try:
            self._create()
        except BaseException:
            self.close()
            raise

    @staticmethod
    def _address_in_use(n):
        out = _run(IP, "-o", "addr", "show", check=False).stdout.decode(errors="replace")
        return f" 10.231.{n}." in out

    def _create(self):
        _run(IP, "netns", "add", self.name)
        _run(IP, "link", "add", self._root_link, "type", "veth", "peer", "name", self._ns_link)
        _run(IP, "link", "set", self._ns_link, "netns", self.name)
        _run(IP, "addr", "add", f"{self.gateway}/30", "dev", self._root_link)
        _run(IP, "link", "set", self._root_link, "up")
        self.exec("ip", "addr", "add", f"{self.address}/30", "dev", self._ns_link)
        self.exec("ip", "link", "set", self._ns_link, "up")
        self.exec("ip", "link", "set", "lo", "up")
        self.exec("sysctl", "-q", "-w", f"net.ipv4.icmp_echo_ignore_all={0 if self.answer_echo else 1}")
        # The veth link needs a moment before the first packet passes.
        deadline = time.monotonic() + 10
        while True:
            state = self.exec("cat", f"/sys/class/net/{self._ns_link}/operstate", check=False)
            if state.stdout.decode().strip() == "up" or time.monotonic() > deadline:
                break
            time.sleep(0.05)

    def isolate_resolver(self):
        """Name lookups inside fail at once, with no packet leaving: `ip netns exec` mounts
        /etc/netns/<name>/resolv.conf over /etc/resolv.conf, and nothing inside serves DNS."""
        folder = os.path.join("/etc/netns", self.name)
        os.makedirs(folder, exist_ok=True)
        self._resolver_dir = folder
        with open(os.path.join(folder, "resolv.conf"), "w") as f:
            f.write("nameserver 127.0.0.1\noptions timeout:1 attempts:1\n")

    def route_default_here(self):
        """A default route back to this side: the platform calls a machine with one on line."""
        self.exec("ip", "route", "add", "default", "via", self.gateway)

    @contextlib.contextmanager
    def wine_inside(self):
        """Programs that the harness starts under Wine run inside the namespace meanwhile (the
        Wine server and the display are reached through files, which the namespace shares)."""
        import harness
        original = harness.wine_popen

        def popen(args, cwd=None, **kw):
            harness.ensure_prefix()
            return subprocess.Popen([IP, "netns", "exec", self.name, "wine"] + list(args), cwd=cwd,
                                    env=harness.wine_env(), stdin=subprocess.DEVNULL, start_new_session=True, **kw)

        harness.wine_popen = popen
        try:
            yield self
        finally:
            harness.wine_popen = original

    def exec(self, *args, check=True):
        return _run(IP, "netns", "exec", self.name, *args, check=check)

    def popen(self, args, **kw):
        """Starts a process inside the namespace; it is ended by close()."""
        p = subprocess.Popen([IP, "netns", "exec", self.name] + list(args), **kw)
        self._processes.append(p)
        return p

    def echo_ignored(self):
        out = self.exec("sysctl", "-n", "net.ipv4.icmp_echo_ignore_all").stdout.decode().strip()
        return out == "1"

    def close(self):
        for p in self._processes:
            stop_process(p)
        self._processes = []
        if getattr(self, "_resolver_dir", None):
            shutil.rmtree(self._resolver_dir, ignore_errors=True)
            self._resolver_dir = None
        if self.name:
            # Deleting the namespace destroys the veth end inside it, and with it the pair.
            _run(IP, "netns", "delete", self.name, check=False)
            if self._root_link in _existing_links():
                _run(IP, "link", "delete", self._root_link, check=False)
            self.name = None
        if self in _open_hosts:
            _open_hosts.remove(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


@atexit.register
def _close_leftovers():
    for host in list(_open_hosts):
        try:
            host.close()
        except Exception:
            pass


class NamespacedNginxSite(NginxSite):
    """NginxSite run inside a SilentHost, listening on the host's address."""

    def __init__(self, host, site_dir, work_dir, port=80, **kw):
        super().__init__(site_dir, work_dir, host=host.address, port=port, **kw)
        self.netns = host

    def _spawn(self, command):
        return self.netns.popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)

    def _where(self):
        return f" in {self.netns.name}"


def port80_free(address):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        try:
            s.bind((address, 80))
        except OSError:
            return False
    return True


def loopback_port80_addresses(count, first=2):
    """`count` loopback addresses 127.0.0.<n> (n >= first, ascending) whose port 80 is free.
    Binding port 80 needs root; without it the caller is skipped."""
    if os.geteuid() != 0:
        raise unittest.SkipTest("needs root to serve on port 80 of a loopback address")
    found = []
    for n in range(first, 250):
        if port80_free(f"127.0.0.{n}"):
            found.append(f"127.0.0.{n}")
            if len(found) == count:
                return found
    raise unittest.SkipTest("no free port 80 on loopback addresses")


# --- Update sites with list files of exact bytes ---------------------------------------------

def today():
    """The date query the updater appends: local date as yyyymmdd."""
    return time.strftime("%Y%m%d")


def dates_during(started_wall):
    """Every date query that was valid between started_wall and now (a run may cross midnight)."""
    return {time.strftime("%Y%m%d", time.localtime(started_wall)), today()}


# A visible run against a server that starts no client and redirects nowhere.
list_config = run_config


def write_site_file(site_dir, rel_path, data):
    """Writes bytes (or GBK text) to site_dir/rel_path, making folders; returns the path."""
    path = os.path.join(site_dir, *rel_path.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("gbk"))
    return path


def crlf(lines):
    """List-file bytes: GBK lines, each ended by CR LF."""
    return "".join(line + "\r\n" for line in lines).encode("gbk")
