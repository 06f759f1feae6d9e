#!/usr/bin/env python3
"""A small HTTP server that misbehaves on request, for the download tests.

Binds 127.0.0.1 only. Prints "PORT <n>" on stdout (and writes the number to --port-file) once it
listens; ends after --lifetime seconds. The path selects the behaviour; the file's content is a
fixed pattern of the size named by the last path segment ("data1000" = 1000 bytes, see
pattern()), so tests can build the expected bytes themselves. Anything after "?" is ignored.

  /files/<name>                 normal: Content-Length, Last-Modified, ranges answered with 206
  /nolm/<name>                  no Last-Modified
  /nolength/<name>              no Content-Length, the body ends with the connection
  /ignorerange/<name>           a range request gets 200 and the whole file
  /drop/<n>/<name>              full headers, then only n bytes of the body, then the connection closes
  /stall/<n>/<name>             full headers, then only n bytes of the body, then silence: the
                                connection stays open and nothing more is sent (for 10 minutes)
  /wronglength/<delta>/<name>   Content-Length off by delta (positive: promises more than it sends)
  /slow/<ms>/<name>             the body in 1024-byte pieces, <ms> milliseconds apart
  /lm/<tag>/<name>              like /files, with a Last-Modified value of its own per tag
  /status/<code>                answers with that status and a short body
  /plan/<name>                  as the --plan file (JSON) says for that name, read anew per request:
                                {"<name>": {"mode": "files", "arg": 0, "size": n, "tag": t}, ...}
                                mode is one of the modes above (or "status" with arg the code),
                                the content pattern(size) with every byte XOR t and the
                                Last-Modified value of tag t
  /__log                        the request log (text); /__clearlog empties it

Each request is logged as one line: the request line, a tab, and the Range header ("-" when none).
"""
import argparse
import json
import hashlib
import os
import re
import socketserver
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LAST_MODIFIED = "Wed, 02 Dec 2026 10:00:00 GMT"
MAX_SIZE = 64 * 1024 * 1024

_log_lock = threading.Lock()
_log_lines = []
_log_file = None


def pattern(size):
    """Byte i is (i % 251 + (i // 251) * 17) % 256: not periodic in powers of two."""
    return bytes(((i % 251) + (i // 251) * 17) % 256 for i in range(size))


def size_from_name(name):
    m = re.search(r"(\d+)(?:\.[A-Za-z0-9]+)?$", name)
    if not m:
        return None
    size = int(m.group(1))
    return size if size <= MAX_SIZE else None


def lm_for_tag(tag):
    day = 1 + int(hashlib.sha1(tag.encode()).hexdigest(), 16) % 28
    return "Tue, %02d Nov 2026 08:00:00 GMT" % day


def record(line):
    with _log_lock:
        _log_lines.append(line)
        if _log_file:
            with open(_log_file, "a", encoding="utf-8") as f:
                f.write(line + "\n")


def parse_range(header, size):
    """(start, end inclusive) like nginx: an end past the file is cut to the last byte;
    None for a range that cannot be satisfied, "ignore" for one that is not understood."""
    m = re.fullmatch(r"\s*bytes\s*=\s*(\d*)\s*-\s*(\d*)\s*", header, re.IGNORECASE)
    if not m or (m.group(1) == "" and m.group(2) == ""):
        return "ignore"
    if m.group(1) == "":
        n = int(m.group(2))
        return (max(0, size - n), size - 1) if n > 0 and size > 0 else None
    start = int(m.group(1))
    end = int(m.group(2)) if m.group(2) else size - 1
    if start >= size or end < start:
        return None
    return start, min(end, size - 1)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "faultserver"

    def log_message(self, fmt, *args):  # quiet
        pass

    def do_GET(self):
        self.handle_request(head=False)

    def do_HEAD(self):
        self.handle_request(head=True)

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if length:
            self.rfile.read(length)
        self.handle_request(head=False)

    def simple(self, code, text):
        body = text.encode()
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_request(self, head):
        range_header = self.headers.get("Range")
        path = self.path.split("?", 1)[0]
        if path == "/__log":
            with _log_lock:
                text = "".join(l + "\n" for l in _log_lines)
            return self.simple(200, text)
        if path == "/__clearlog":
            with _log_lock:
                _log_lines.clear()
            return self.simple(200, "")
        record("%s\t%s" % (self.requestline, range_header if range_header is not None else "-"))

        parts = [p for p in path.split("/") if p]
        if not parts:
            return self.simple(404, "not found")
        mode, args = parts[0], parts[1:]
        if mode == "plan" and len(args) == 1:
            return self.serve_planned(args[0], range_header, head)
        if mode == "status" and args and args[0].isdigit():
            return self.simple(int(args[0]), "status %s" % args[0])
        needs_arg = mode in ("drop", "stall", "wronglength", "slow", "lm")
        if (needs_arg and len(args) != 2) or (not needs_arg and len(args) != 1):
            return self.simple(404, "not found")
        size = size_from_name(args[-1])
        if size is None or mode not in (
            "files", "nolm", "nolength", "ignorerange", "drop", "stall", "wronglength", "slow", "lm"):
            return self.simple(404, "not found")
        try:
            arg = int(args[0]) if mode in ("drop", "stall", "wronglength", "slow") else None
        except ValueError:
            return self.simple(404, "not found")
        data = pattern(size)
        self.serve(mode, arg, args[0] if mode == "lm" else None, data, range_header, head)

    def serve_planned(self, name, range_header, head):
        try:
            with open(self.server.plan_path, encoding="utf-8") as f:
                entry = json.load(f).get(name)
        except (OSError, ValueError, TypeError):
            entry = None
        if not entry:
            return self.simple(404, "not planned")
        mode, arg = entry.get("mode", "files"), int(entry.get("arg", 0))
        if mode == "status":
            return self.simple(arg, "status %d" % arg)
        tag = int(entry.get("tag", 0)) & 0xFF
        data = bytes(b ^ tag for b in pattern(int(entry["size"])))
        # Last-Modified follows the content, as on a real server.
        self.serve(mode, arg, "t%d" % tag, data, range_header, head)

    def serve(self, mode, arg, tag, data, range_header, head):
        size = len(data)
        status, start, end = 200, 0, size - 1
        if range_header is not None and mode != "ignorerange":
            r = parse_range(range_header, size)
            if r is None:
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % size)
                body = b"range not satisfiable"
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                if not head:
                    self.wfile.write(body)
                return
            if r != "ignore":
                status, (start, end) = 206, r
        body = data[start:end + 1]

        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        if mode != "nolm":
            self.send_header("Last-Modified", lm_for_tag(tag) if tag else LAST_MODIFIED)
        if status == 206:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        if mode == "nolength":
            self.send_header("Connection", "close")
            self.close_connection = True
        elif mode == "wronglength":
            self.send_header("Content-Length", str(max(0, len(body) + arg)))
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(len(body)))
        if mode == "drop":
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if head:
            return
        try:
            if mode == "drop":
                self.wfile.write(body[:arg])
                self.wfile.flush()
            elif mode == "stall":
                self.wfile.write(body[:arg])
                self.wfile.flush()
                time.sleep(600)
                self.close_connection = True
            elif mode == "slow":
                for i in range(0, len(body), 1024):
                    self.wfile.write(body[i:i + 1024])
                    self.wfile.flush()
                    time.sleep(arg / 1000.0)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, default=0, help="0 = any free port")
    ap.add_argument("--port-file", help="write the port number here once listening")
    ap.add_argument("--log", help="also append the request log to this file")
    ap.add_argument("--lifetime", type=float, default=3600, help="seconds until the server ends")
    ap.add_argument("--plan", help="JSON file for the /plan/<name> paths")
    opts = ap.parse_args()

    global _log_file
    _log_file = opts.log
    server = Server(("127.0.0.1", opts.port), Handler)
    server.plan_path = opts.plan or ""
    port = server.server_address[1]
    if opts.port_file:
        tmp = opts.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, opts.port_file)
    print("PORT %d" % port, flush=True)
    timer = threading.Timer(opts.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
