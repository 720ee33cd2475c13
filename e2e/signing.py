# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Signed images for the Secure Boot cases. The key is Debian's test key
for AAVMF (qemu-efi-aarch64's PkKek-1-snakeoil, whose certificate the
snakeoil variable store holds in db): its password is published, and the
run writes the unprotected copy sbsign needs into its own output directory
only. A second key, made by the run, is in no database."""

import shutil
import struct
import subprocess
from pathlib import Path

TEST_KEY = Path("/usr/share/qemu-efi-aarch64/PkKek-1-snakeoil.key")
TEST_CERT = Path("/usr/share/qemu-efi-aarch64/PkKek-1-snakeoil.pem")
TEST_KEY_PASSWORD = "snakeoil"
TOOLS = ["sbsign", "sbverify", "openssl"]


class SigningError(Exception):
    """A signing tool failed, or a file did not come out as intended."""


def run(*command):
    done = subprocess.run([str(part) for part in command], capture_output=True, text=True)
    if done.returncode != 0:
        raise SigningError("%s: exit %d: %s" % (command[0], done.returncode, (done.stderr or done.stdout).strip()))
    return done.stdout


def verifies(image, cert):
    """Whether sbverify accepts `image` as signed by `cert`."""
    return subprocess.run(["sbverify", "--cert", str(cert), str(image)], capture_output=True).returncode == 0


def missing_tool():
    """The first signing tool not installed, or None."""
    return next((tool for tool in TOOLS if shutil.which(tool) is None), None)


class Keys:
    """The test key, unprotected, and a key of the run's own that no
    variable store enrolls, both in `work`."""

    def __init__(self, work):
        work = Path(work)
        work.mkdir(parents=True, exist_ok=True)
        self.test = (work / "test.key", TEST_CERT)
        self.other = (work / "not-in-db.key", work / "not-in-db.pem")
        run("openssl", "rsa", "-passin", "pass:" + TEST_KEY_PASSWORD, "-in", TEST_KEY, "-out", self.test[0])
        run("openssl", "req", "-new", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30",
            "-subj", "/CN=System Information e2e key not in db/", "-keyout", self.other[0], "-out", self.other[1])


def sign(image, key, out):
    """`image` signed with `key` (key, certificate) into `out`; sbverify
    must accept the result."""
    run("sbsign", "--key", key[0], "--cert", key[1], "--output", out, image)
    if not verifies(out, key[1]):
        raise SigningError("sbverify refuses %s" % out)
    return Path(out)


def tamper(signed, key, out):
    """A copy of `signed` (signed with `key`) with one byte of code changed:
    the low bit of the entry point's first byte. sbverify must then refuse
    it."""
    data = bytearray(Path(signed).read_bytes())
    header = struct.unpack_from("<I", data, 0x3C)[0] + 4  # COFF header, after "PE\0\0"
    (sections,) = struct.unpack_from("<H", data, header + 2)
    (optional_size,) = struct.unpack_from("<H", data, header + 16)
    entry = struct.unpack_from("<I", data, header + 20 + 16)[0]
    for index in range(sections):
        _, _, address, raw_size, raw = struct.unpack_from("<8sIIII", data, header + 20 + optional_size + 40 * index)
        if address <= entry < address + raw_size:
            data[raw + entry - address] ^= 0x01
            Path(out).write_bytes(data)
            if verifies(out, key[1]):
                raise SigningError("sbverify still accepts %s" % out)
            return Path(out)
    raise SigningError("%s: entry point in no section" % signed)
