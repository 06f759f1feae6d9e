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

Signed sites (--key): every update-list line gets a fourth field, the file's SHA-256 in hex, and
each list gets a detached signature beside it, "<list name>.sig":
  Sequence=<n>            grows with every publication (milliseconds since 1970, and always above
                          the sequence of the publication found in the site)
  Signature=<r||s hex>    ECDSA P-256 over SHA-256 of
                          "Sequence=<n>\r\nList=<list name as requested>\r\n" + the list's bytes
The updater with PublicKey= in UpdateConFig.ini refuses unsigned, altered or older lists.

Usage:
  publish.py --new-key KEY.pem     a new private key (owner-only); prints PublicKey=<hex>
  publish.py RELEASE_DIR [SITE_DIR] --server http://127.0.0.1:8080/ [--server ...]
             [--key KEY.pem] [--thousands] [--exclude NAME ...] [--no-server-list]
             [--list-name UpdateList.txt] [--server-list-name ServerUrl.txt]
SITE_DIR defaults to RELEASE_DIR (then the release folder must be flat already).
"""

import argparse
import hashlib
import os
import re
import shutil
import sys
import time

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
    skipped = {n.lower() for n in list_names}
    skipped |= {n + ".sig" for n in skipped} | {e.lower() for e in exclude}
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


def file_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def update_list_lines(entries, thousands=False, hashes=False):
    lines = []
    for rel_dir, name, path in entries:
        line = f"{name}|{_size_text(os.path.getsize(path), thousands)}|{rel_dir}"
        lines.append(line + "|" + file_sha256(path) if hashes else line)
    return lines


# ---- Signing ----------------------------------------------------------------------------------

def _crypto():
    try:
        from cryptography.hazmat.primitives import hashes, serialization
        from cryptography.hazmat.primitives.asymmetric import ec
        from cryptography.hazmat.primitives.asymmetric.utils import decode_dss_signature
    except ImportError as e:
        raise PublishError("signing needs python3-cryptography") from e
    return hashes, serialization, ec, decode_dss_signature


def public_key_hex(key):
    """The uncompressed point "04" + X + Y as hex: the PublicKey value of UpdateConFig.ini."""
    _, serialization, _, _ = _crypto()
    return key.public_key().public_bytes(serialization.Encoding.X962,
                                         serialization.PublicFormat.UncompressedPoint).hex()


def new_key(path):
    """Writes a new P-256 private key (PEM, readable by its owner only); returns the public key hex."""
    _, serialization, ec, _ = _crypto()
    key = ec.generate_private_key(ec.SECP256R1())
    pem = key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                            serialization.NoEncryption())
    try:
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
    except FileExistsError:
        raise PublishError(f"{path}: exists already; a key is never overwritten") from None
    with os.fdopen(fd, "wb") as f:
        f.write(pem)
    return public_key_hex(key)


def load_key(path):
    _, serialization, ec, _ = _crypto()
    try:
        with open(path, "rb") as f:
            key = serialization.load_pem_private_key(f.read(), password=None)
    except (OSError, ValueError, TypeError) as e:
        raise PublishError(f"{path}: not a usable private key ({e})") from None
    if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != "secp256r1":
        raise PublishError(f"{path}: not a P-256 key")
    return key


def signed_text(sequence, list_name_bytes, data):
    return b"Sequence=%d\r\nList=" % sequence + list_name_bytes + b"\r\n" + data


def signature_file(key, sequence, list_name_bytes, data):
    """The .sig file's bytes for a list."""
    hashes, _, ec, decode_dss_signature = _crypto()
    der = key.sign(signed_text(sequence, list_name_bytes, data), ec.ECDSA(hashes.SHA256()))
    r, s = decode_dss_signature(der)
    signature = r.to_bytes(32, "big") + s.to_bytes(32, "big")
    return f"Sequence={sequence}\r\nSignature={signature.hex()}\r\n".encode("ascii")


def next_sequence(site_bytes, names):
    """Now in milliseconds, but above every sequence already published in the site."""
    highest = 0
    for name in names:
        try:
            with open(os.path.join(site_bytes, name + b".sig"), "rb") as f:
                m = re.search(rb"^Sequence=(\d+)", f.read(), re.M)
            if m:
                highest = max(highest, int(m.group(1)))
        except OSError:
            pass
    return max(int(time.time() * 1000), highest + 1)


def list_bytes(path, lines):
    """The list's bytes: GBK with CR LF after every line."""
    data = "".join(line + "\r\n" for line in lines)
    try:
        return data.encode(ENCODING)
    except UnicodeEncodeError as e:
        raise PublishError(f"{path}: text not representable in {ENCODING}: {e}") from e


def write_list(path, lines, key=None, sequence=0, name_bytes=b""):
    """Writes the list, and with a key its signature beside it."""
    encoded = list_bytes(path, lines)
    with open(path, "wb") as f:
        f.write(encoded)
    if key is not None:
        with open(path + (b".sig" if isinstance(path, bytes) else ".sig"), "wb") as f:
            f.write(signature_file(key, sequence, name_bytes, encoded))


def publish(release_dir, site_dir=None, servers=(), thousands=False, exclude=(), server_list=True,
            list_name=UPDATE_LIST, server_list_name=SERVER_LIST, report=None, key=None):
    """Publishes release_dir into site_dir; returns the update list's lines. report, when given,
    receives the release paths whose names are not plain ASCII. With a private key (load_key) the
    lists carry SHA-256 fields and signatures."""
    release_dir = os.path.abspath(release_dir)
    site_dir = os.path.abspath(site_dir or release_dir)
    if not os.path.isdir(release_dir):
        raise PublishError(f"{release_dir}: not a folder")
    for url in servers:
        scheme = "https://" if url.startswith("https://") else "http://"
        if not (url.startswith(scheme) and url.endswith("/") and "/" in url[len(scheme):]):
            raise PublishError(f"server URL {url!r} must start with http:// or https:// and end in /")
    entries = collect(release_dir, exclude, (list_name, server_list_name))
    non_ascii = non_ascii_names(entries)
    list_name_bytes, server_list_bytes = served_name(list_name), served_name(server_list_name)
    in_place = os.path.samefile(release_dir, site_dir) if os.path.isdir(site_dir) else False
    os.makedirs(site_dir, exist_ok=True)

    served = {}
    for rel_dir, name, path in entries:
        served_as = name.lower()
        if served_as in served:
            raise PublishError(f"two files are served as {served_as!r}: {served[served_as]} and {rel_dir + name}")
        served[served_as] = rel_dir + name
        if in_place:
            if rel_dir or name != served_as or not name.isascii():
                raise PublishError(f"{_printable(rel_dir + name)}: in place, a site must be flat with "
                                   f"lower-case ASCII names; give a SITE_DIR")
            continue
        shutil.copyfile(path, os.path.join(os.fsencode(site_dir), served_name(name)))

    lines = update_list_lines(entries, thousands, hashes=key is not None)
    for stale in (UPDATE_LIST, SERVER_LIST, list_name, server_list_name):
        # Earlier publications under other letter cases would be served no more.
        path = os.path.join(site_dir, stale)
        if stale != stale.lower() and os.path.isfile(path) and not in_place:
            os.remove(path)
    site_bytes = os.fsencode(site_dir)
    # Both lists of one publication carry the same sequence number; an unsigned publication
    # leaves no signature of an earlier one behind, which would no longer match.
    sequence = next_sequence(site_bytes, (list_name_bytes, server_list_bytes)) if key is not None else 0
    if key is None and not in_place:
        for name in (list_name_bytes, server_list_bytes):
            stale_sig = os.path.join(site_bytes, name + b".sig")
            if os.path.isfile(stale_sig):
                os.remove(stale_sig)
    write_list(os.path.join(site_bytes, list_name_bytes), lines, key, sequence, list_name_bytes)
    if server_list:
        write_list(os.path.join(site_bytes, server_list_bytes), list(servers), key, sequence, server_list_bytes)
    if report is not None:
        report.extend(non_ascii)
    return lines


def main(argv=None):
    if argv is None:
        argv = sys.argv[1:]
    if argv and argv[0] == "--new-key":
        if len(argv) != 2:
            print("usage: publish.py --new-key KEY.pem", file=sys.stderr)
            return 2
        try:
            print(f"PublicKey={new_key(argv[1])}")
        except PublishError as e:
            print(f"publish.py: {e}", file=sys.stderr)
            return 1
        return 0
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
    parser.add_argument("--key", help="private key (from --new-key): sign the lists and add SHA-256 fields")
    args = parser.parse_args(argv)
    if not args.server and not args.no_server_list:
        parser.error("give at least one --server, or --no-server-list")
    non_ascii = []
    try:
        key = load_key(args.key) if args.key else None
        lines = publish(args.release_dir, args.site_dir, args.server, args.thousands, args.exclude,
                        not args.no_server_list, args.list_name, args.server_list_name, non_ascii, key)
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
