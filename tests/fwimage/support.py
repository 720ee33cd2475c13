"""Shared by the image-tool tests: the tool's package, the stock emulator
firmware (tests that need it skip without it), and running the command."""
import hashlib
import os
import subprocess
import sys
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOL = os.path.join(ROOT, "tools", "fwimage.py")
sys.path.insert(0, os.path.join(ROOT, "tools"))

from fwimage import guids, walk  # noqa: E402

STOCK = "/usr/share/AAVMF/AAVMF_CODE.fd"
DRIVER_GUID = "280AE76D-EEAF-4EB8-AC20-459C6DE93646"
# The stock image's compressed DXE volume (found by hand, checked here).
COMPRESSED_FILE = guids.parse("9E21FD93-9C72-4C15-8C4B-E77F1DB2D792")

needs_stock = unittest.skipUnless(os.path.exists(STOCK), f"{STOCK} not installed")
_stock = {}


def stock():
    if "image" not in _stock:
        with open(STOCK, "rb") as source:
            _stock["image"] = source.read()
    return _stock["image"]


def stock_dxe():
    """(walk result, the DXE volume's Found) of the stock image."""
    if "dxe" not in _stock:
        found = walk.walk(stock())
        _stock["dxe"] = (found, walk.dxe_volume(found))
    return _stock["dxe"]


def run(*args):
    """The tool as a command: (exit status, stdout, stderr)."""
    done = subprocess.run([sys.executable, TOOL, *map(str, args)], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def digest(path):
    with open(path, "rb") as source:
        return hashlib.sha256(source.read()).hexdigest()
