#!/usr/bin/env python3
"""Publishes a release folder as an update site.

The release folder is laid out as the client's installation folder (files at the top and in
sub-folders). The updater fetches every file from <server URL> + <file name>, with no directory,
so the site is flat: each file is copied to the top of the site folder, under its name in lower
case (the updater asks for the lower-case name; the web server's file system is case sensitive).
The directory goes into the update list, which tells the updater where to install the file.

The updater sends a name as it holds it, in the ANSI code page of a Chinese Windows (GBK), byte for
byte and unescaped: 普通.dat is requested as /\xC6\xD5\xCD\xA8.dat. A web server on Linux looks
for exactly those bytes on disk, so every file and list is stored under the GBK bytes of its
lower-case name, not under its UTF-8 name. A name that GBK cannot write is refused.

Written beside the files, in the ANSI code page of a Chinese Windows (GBK) with CR LF line ends:
  updatelist.txt  one line per file: name|size|dir   (dir empty or "sub\\", "a\\b\\")
  serverurl.txt   the update servers' base URLs, one per line (each ends in "/")
The lists' names are those configured as UpdateFileList and ServerUrlFileName (by default
UpdateList.txt and ServerUrl.txt), in lower case like every other file: the updater lower-cases
every configured value and asks the server for that name.

Usage:
  publish.py RELEASE_DIR [SITE_DIR] --server http://127.0.0.1:8080/ [--server ...]
             [--thousands] [--exclude NAME ...] [--no-server-list]
             [--list-name UpdateList.txt] [--server-list-name ServerUrl.txt]
SITE_DIR defaults to RELEASE_DIR (then the release folder must be flat already).
"""

import argparse
import os
import shutil
import sys

ENCODING = "gbk"
UPDATE_LIST = "UpdateList.txt"
SERVER_LIST = "ServerUrl.txt"


class PublishError(Exception):
    pass


def _size_text(size, thousands):
    return f"{size:,}" if thousands else str(size)


def collect(release_dir, exclude=(), list_names=(UPDATE_LIST, SERVER_LIST)):
    """Returns [(relative dir with trailing backslash or "", name, full path)], sorted: top-level
    files first, then each sub-folder's files, by name."""
    skipped = {n.lower() for n in list_names} | {e.lower() for e in exclude}
    entries = []
    for root, dirs, files in os.walk(release_dir):
        dirs.sort()
        rel = os.path.relpath(root, release_dir)
        rel_dir = "" if rel == "." else rel.replace(os.sep, "\\") + "\\"
        for name in sorted(files):
            rel_path = (rel_dir + name).lower()
            if name.lower() in skipped or rel_path in skipped or rel_path.replace("\\", "/") in skipped:
                continue
            entries.append((rel_dir, name, os.path.join(root, name)))
    entries.sort(key=lambda e: (e[0].count("\\"), e[0].lower(), e[1].lower()))
    return entries


def _printable(text):
    # Names that are not UTF-8 on disk come from os.walk with escaped bytes; show them safely.
    return text.encode("utf-8", "backslashreplace").decode("utf-8")


def served_name(name, shown=None):
    """The bytes the updater requests for a file or list name, and so its name on the site's disk:
    the lower-case name in GBK. Raises PublishError naming `shown` (default: the name) when GBK
    cannot write it."""
    try:
        return name.lower().encode(ENCODING)
    except UnicodeEncodeError:
        raise PublishError(f"{_printable(shown or name)}: the name cannot be written in GBK, the code "
                           f"page the updater reads its lists in; rename it") from None


def non_ascii_names(entries):
    """Checks that GBK can write every file's folder and name (the list carries both); returns the
    release paths that are not plain ASCII."""
    out = []
    for rel_dir, name, _ in entries:
        served_name(rel_dir + name)
        if not (rel_dir + name).isascii():
            out.append(rel_dir + name)
    return out


def update_list_lines(entries, thousands=False):
    return [f"{name}|{_size_text(os.path.getsize(path), thousands)}|{rel_dir}" for rel_dir, name, path in entries]


def write_list(path, lines):
    """Writes lines in GBK with CR LF after every line."""
    data = "".join(line + "\r\n" for line in lines)
    try:
        encoded = data.encode(ENCODING)
    except UnicodeEncodeError as e:
        raise PublishError(f"{path}: text not representable in {ENCODING}: {e}") from e
    with open(path, "wb") as f:
        f.write(encoded)


def publish(release_dir, site_dir=None, servers=(), thousands=False, exclude=(), server_list=True,
            list_name=UPDATE_LIST, server_list_name=SERVER_LIST, report=None):
    """Publishes release_dir into site_dir; returns the update list's lines. report, when given,
    receives the release paths whose names are not plain ASCII."""
    release_dir = os.path.abspath(release_dir)
    site_dir = os.path.abspath(site_dir or release_dir)
    if not os.path.isdir(release_dir):
        raise PublishError(f"{release_dir}: not a folder")
    for url in servers:
        if not (url.startswith("http://") and url.endswith("/") and "/" in url[len("http://"):]):
            raise PublishError(f"server URL {url!r} must start with http:// and end in /")
    entries = collect(release_dir, exclude, (list_name, server_list_name))
    non_ascii = non_ascii_names(entries)
    list_bytes, server_list_bytes = served_name(list_name), served_name(server_list_name)
    in_place = os.path.samefile(release_dir, site_dir) if os.path.isdir(site_dir) else False
    os.makedirs(site_dir, exist_ok=True)

    served = {}
    for rel_dir, name, path in entries:
        key = name.lower()
        if key in served:
            raise PublishError(f"two files are served as {key!r}: {served[key]} and {rel_dir + name}")
        served[key] = rel_dir + name
        if in_place:
            if rel_dir or name != key or not name.isascii():
                raise PublishError(f"{_printable(rel_dir + name)}: in place, a site must be flat with "
                                   f"lower-case ASCII names; give a SITE_DIR")
            continue
        shutil.copyfile(path, os.path.join(os.fsencode(site_dir), served_name(name)))

    lines = update_list_lines(entries, thousands)
    for stale in (UPDATE_LIST, SERVER_LIST, list_name, server_list_name):
        # Earlier publications under other letter cases would be served no more.
        path = os.path.join(site_dir, stale)
        if stale != stale.lower() and os.path.isfile(path) and not in_place:
            os.remove(path)
    site_bytes = os.fsencode(site_dir)
    write_list(os.path.join(site_bytes, list_bytes), lines)
    if server_list:
        write_list(os.path.join(site_bytes, server_list_bytes), list(servers))
    if report is not None:
        report.extend(non_ascii)
    return lines


def main(argv=None):
    parser = argparse.ArgumentParser(description="Publish a release folder as an update site.")
    parser.add_argument("release_dir")
    parser.add_argument("site_dir", nargs="?")
    parser.add_argument("--server", action="append", default=[], help="update server base URL (repeatable)")
    parser.add_argument("--thousands", action="store_true", help="write sizes with thousands separators")
    parser.add_argument("--exclude", action="append", default=[], help="file name to leave out (repeatable)")
    parser.add_argument("--no-server-list", action="store_true", help="do not write the server list")
    parser.add_argument("--list-name", default=UPDATE_LIST, help="configured UpdateFileList (default %(default)s)")
    parser.add_argument("--server-list-name", default=SERVER_LIST,
                        help="configured ServerUrlFileName (default %(default)s)")
    args = parser.parse_args(argv)
    if not args.server and not args.no_server_list:
        parser.error("give at least one --server, or --no-server-list")
    non_ascii = []
    try:
        lines = publish(args.release_dir, args.site_dir, args.server, args.thousands, args.exclude,
                        not args.no_server_list, args.list_name, args.server_list_name, non_ascii)
    except (PublishError, OSError) as e:
        print(f"publish.py: {e}", file=sys.stderr)
        return 1
    for line in lines:
        print(_printable(line))
    lists = [n for n in (args.list_name, args.server_list_name) if not n.isascii()]
    if non_ascii or lists:
        print("publish.py: names that are not plain ASCII, stored on the site under the GBK bytes of "
              "their lower-case name (serve them as bytes, see docs/publishing.md):", file=sys.stderr)
        for name in non_ascii + lists:
            print(f"  {_printable(name)}", file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
