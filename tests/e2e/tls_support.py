"""Certificates for the https scenarios: a test certificate authority that the test Wine prefix
(and nothing else on the machine) is made to trust, a server certificate it signs for 127.0.0.1,
and a self-signed one that nobody trusts."""

import datetime
import ipaddress
import os
import subprocess

from harness import program, wine_env


def _crypto():
    from cryptography import x509
    from cryptography.hazmat.primitives import hashes, serialization
    from cryptography.hazmat.primitives.asymmetric import ec
    from cryptography.x509.oid import ExtendedKeyUsageOID, NameOID
    return x509, hashes, serialization, ec, ExtendedKeyUsageOID, NameOID


def _certificate(subject_name, key, issuer_name, issuer_key, ca, host=None):
    x509, hashes, _, _, eku, NameOID = _crypto()
    now = datetime.datetime.now(datetime.timezone.utc)
    builder = (x509.CertificateBuilder()
               .subject_name(x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, subject_name)]))
               .issuer_name(x509.Name([x509.NameAttribute(NameOID.COMMON_NAME, issuer_name)]))
               .public_key(key.public_key())
               .serial_number(x509.random_serial_number())
               .not_valid_before(now - datetime.timedelta(days=1))
               .not_valid_after(now + datetime.timedelta(days=30))
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if host:
        builder = (builder
                   # Wine's name check compares DNS names only: the address is given as both.
                   .add_extension(x509.SubjectAlternativeName([x509.IPAddress(ipaddress.ip_address(host)),
                                                               x509.DNSName(host)]), critical=False)
                   .add_extension(x509.ExtendedKeyUsage([eku.SERVER_AUTH]), critical=False))
    return builder.sign(issuer_key, hashes.SHA256())


def _write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    return path


def make_certificates(folder, host="127.0.0.1"):
    """Returns {"ca_der", "server": (cert pem, key pem), "untrusted": (cert pem, key pem)}."""
    x509, _, serialization, ec, _, _ = _crypto()
    os.makedirs(folder, exist_ok=True)
    pem = serialization.Encoding.PEM
    ca_key = ec.generate_private_key(ec.SECP256R1())
    ca = _certificate("Quenbry test CA", ca_key, "Quenbry test CA", ca_key, ca=True)
    out = {"ca_der": _write(os.path.join(folder, "ca.der"), ca.public_bytes(serialization.Encoding.DER))}
    for name, issuer, issuer_key in (("server", "Quenbry test CA", ca_key), ("untrusted", None, None)):
        key = ec.generate_private_key(ec.SECP256R1())
        cert = _certificate(host, key, issuer or host, issuer_key or key, ca=False, host=host)
        key_pem = key.private_bytes(pem, serialization.PrivateFormat.PKCS8, serialization.NoEncryption())
        chain = cert.public_bytes(pem) + (ca.public_bytes(pem) if issuer else b"")
        out[name] = (_write(os.path.join(folder, name + ".pem"), chain),
                     _write(os.path.join(folder, name + ".key"), key_pem))
    return out


def trust_in_prefix(ca_der):
    """Adds the authority to the test prefix's root store (see tests/win/programs/certtrust.cpp)."""
    p = subprocess.run(["wine", program("certtrust"), ca_der], env=wine_env(), stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=60)
    if p.returncode != 0:
        raise RuntimeError(f"certtrust failed ({p.returncode}): {p.stdout!r} {p.stderr!r}")
