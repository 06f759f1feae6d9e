"""An nginx of the tests' own: serves one site folder on a loopback address and port, with its
configuration, pid file, logs and temp folders in a work folder of the test. Static files come
with Content-Length, Last-Modified and byte-range support, which is what the updater relies on.

The access log records, per request: method, path with query, protocol, status, bytes sent,
the Range header and the User-Agent, tab-separated, so tests can see exactly what was asked.
"""

import os
import shutil
import socket
import subprocess
import time
import urllib.parse

from procutil import stop_process

NGINX = shutil.which("nginx") or "/usr/sbin/nginx"

LOG_FORMAT = "'$msec\\t$request_method\\t$request_uri\\t$server_protocol\\t$status\\t$body_bytes_sent\\t$http_range\\t$http_user_agent\\t$remote_addr'"


def free_port(host="127.0.0.1"):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((host, 0))
        return s.getsockname()[1]


def closed_port(host="127.0.0.1"):
    """A loopback port on which nothing listens (connections are refused)."""
    return free_port(host)


def _read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


class AccessRecord:
    def __init__(self, fields):
        (msec, self.method, self.uri, self.protocol, status, sent, rng, self.user_agent, self.remote) = fields
        self.time = float(msec)
        self.status = int(status)
        self.bytes_sent = int(sent)
        self.range = "" if rng == "-" else rng
        parsed = urllib.parse.urlsplit(self.uri)
        self.path = urllib.parse.unquote(parsed.path)
        self.query = parsed.query

    @property
    def name(self):
        return self.path.rsplit("/", 1)[-1]

    def __repr__(self):
        r = f" Range={self.range}" if self.range else ""
        return f"<{self.method} {self.uri} {self.status} {self.bytes_sent}B{r}>"


class NginxSite:
    def __init__(self, site_dir, work_dir, host="127.0.0.1", port=None, extra_server_conf="", tls=None,
                 error_log_level="warn"):
        """tls: (certificate PEM path, key PEM path) to serve https instead of http. error_log_level
        "info" logs what clients do wrong too, a TLS handshake that the client gave up included."""
        self.site_dir = os.path.abspath(site_dir)
        self.work_dir = os.path.abspath(work_dir)
        self.host = host
        self.port = port or free_port(host)
        self.extra_server_conf = extra_server_conf
        self.tls = tls
        self.error_log_level = error_log_level
        self.process = None

    @property
    def url(self):
        return f"{'https' if self.tls else 'http'}://{self.host}:{self.port}/"

    @property
    def access_log_path(self):
        return os.path.join(self.work_dir, "access.log")

    @property
    def error_log_path(self):
        return os.path.join(self.work_dir, "error.log")

    def _write_conf(self):
        w = self.work_dir
        for sub in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"):
            os.makedirs(os.path.join(w, "temp", sub), exist_ok=True)
        user = "user root;\n" if os.geteuid() == 0 else ""
        conf = f"""{user}worker_processes 1;
daemon off;
pid {w}/nginx.pid;
error_log {w}/error.log {self.error_log_level};
events {{ worker_connections 64; }}
http {{
    default_type application/octet-stream;
    log_format tests {LOG_FORMAT};
    access_log {w}/access.log tests;
    client_body_temp_path {w}/temp/client_body;
    proxy_temp_path {w}/temp/proxy;
    fastcgi_temp_path {w}/temp/fastcgi;
    uwsgi_temp_path {w}/temp/uwsgi;
    scgi_temp_path {w}/temp/scgi;
    sendfile off;
    keepalive_timeout 5;
    server {{
        listen {self.host}:{self.port}{" ssl" if self.tls else ""};
        {f"ssl_certificate {self.tls[0]}; ssl_certificate_key {self.tls[1]};" if self.tls else ""}
        root {self.site_dir};
        location / {{ }}
        {self.extra_server_conf}
    }}
}}
"""
        path = os.path.join(w, "nginx.conf")
        with open(path, "w") as f:
            f.write(conf)
        return path

    def start(self, timeout=15):
        os.makedirs(self.work_dir, exist_ok=True)
        os.makedirs(self.site_dir, exist_ok=True)
        conf = self._write_conf()
        # -p: prefix for relative paths; -e: early error log before the configuration is read.
        self.process = self._spawn([NGINX, "-p", self.work_dir, "-e", self.error_log_path, "-c", conf])
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                err = self.process.stderr.read().decode(errors="replace")
                raise RuntimeError(f"nginx{self._where()} ended at start ({self.process.returncode}): {err}")
            try:
                with socket.create_connection((self.host, self.port), timeout=0.5):
                    return self
            except OSError:
                time.sleep(0.05)
        self.stop()
        raise RuntimeError(f"nginx{self._where()} did not start listening in time")

    def _spawn(self, command):
        return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)

    def _where(self):
        return ""

    def stop(self):
        if not self.process:
            return
        stop_process(self.process)  # SIGTERM: fast shutdown of master and workers
        if self.process.stderr:
            self.process.stderr.close()
        self.process = None

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def requests(self, at_least=0, timeout=5.0):
        """The access log so far, as AccessRecord objects in order. nginx writes a line after the
        response has gone out, so a client may see the answer before the line: with at_least, wait
        up to timeout seconds for that many records."""
        deadline = time.monotonic() + timeout
        while True:
            records = self._read_records()
            if len(records) >= at_least or time.monotonic() > deadline:
                return records
            time.sleep(0.05)

    def _read_records(self):
        try:
            with open(self.access_log_path, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        out = []
        for line in lines:
            fields = line.split("\t")
            if len(fields) == 9:
                out.append(AccessRecord(fields))
        return out

    def error_log_text(self):
        return _read_text(self.error_log_path)

    def access_log_text(self):
        return _read_text(self.access_log_path)
