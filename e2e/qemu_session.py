# SPDX-License-Identifier: BSD-2-Clause-Patent
"""One boot of QEMU's virt machine on Debian's AAVMF firmware with the serial
console on a pipe: wait for output, send keys, decode the text screen with
pyte, take PPM screendumps through the monitor, and always end the process
group, however the run ends."""

import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import threading
import time
import zlib
from pathlib import Path

import pyte

AAVMF_CODE = Path("/usr/share/AAVMF/AAVMF_CODE.fd")
AAVMF_VARS = Path("/usr/share/AAVMF/AAVMF_VARS.fd")
# The same store with Debian's test keys enrolled and Secure Boot on.
AAVMF_VARS_SECURE_BOOT = Path("/usr/share/AAVMF/AAVMF_VARS.snakeoil.fd")
QEMU = "qemu-system-aarch64"

SCREEN_COLUMNS, SCREEN_ROWS = 80, 25

KEY_UP = b"\x1b[A"
KEY_DOWN = b"\x1b[B"
KEY_ENTER = b"\r"
KEY_ESC = b"\x1b"


class BootError(Exception):
    """The firmware did not do what the run waited for."""


def make_fat_disk(image, files):
    """FAT image holding `files` (name -> Path of a host file, or bytes); a
    name may hold directories ("EFI/BOOT/BOOTAA64.EFI"), which are made."""
    image = Path(image)
    image.unlink(missing_ok=True)
    subprocess.run(["mformat", "-C", "-i", str(image), "-T", "65536", "-h", "64", "-s", "32", "::"],
                   check=True, capture_output=True)
    made = set()
    for name, source in files.items():
        for parent in reversed(Path(name).parents[:-1]):
            if parent not in made:
                subprocess.run(["mmd", "-i", str(image), "::/%s" % parent], check=True, capture_output=True)
                made.add(parent)
        if isinstance(source, bytes):
            staged = image.parent / ("staged-" + name.replace("/", "-"))
            staged.write_bytes(source)
            source = staged
        subprocess.run(["mcopy", "-i", str(image), str(source), "::/" + name], check=True, capture_output=True)


def ppm_to_png(ppm_path, png_path):
    """Converts a binary PPM (P6, 8 bits) to an RGB PNG."""
    data = Path(ppm_path).read_bytes()
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match or int(match.group(3)) != 255:
        raise ValueError("not an 8-bit P6 image: %s" % ppm_path)
    width, height = int(match.group(1)), int(match.group(2))
    pixels = data[match.end():match.end() + width * height * 3]
    stride = width * 3
    raw = b"".join(b"\x00" + pixels[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    Path(png_path).write_bytes(png)
    return width, height


_live_sessions = set()
_stopping = threading.Event()


def end_all_sessions(*_):
    """Signal handler: ends every running QEMU and lets no new one start."""
    _stopping.set()
    for session in list(_live_sessions):
        session.close()
    raise KeyboardInterrupt


class QemuSession:
    def __init__(self, run_dir, disk_image, time_limit, graphics=True, code=AAVMF_CODE, variables=AAVMF_VARS):
        self.run_dir = Path(run_dir)
        self.code = Path(code)
        self.variables = Path(variables)
        self.started = None
        self.disk_image = Path(disk_image)
        self.time_limit = time_limit
        self.graphics = graphics
        self.output = bytearray()
        self._lock = threading.Condition()
        self._process = None
        self._screen = pyte.Screen(SCREEN_COLUMNS, SCREEN_ROWS)
        self._stream = pyte.ByteStream(self._screen)
        self._fed = 0

    # Process -------------------------------------------------------------

    def command(self):
        vars_copy = self.run_dir / "vars.fd"
        shutil.copyfile(self.variables, vars_copy)
        args = [QEMU, "-M", "virt", "-cpu", "cortex-a57", "-m", "512",
                "-drive", "if=pflash,format=raw,readonly=on,file=%s" % self.code.resolve(),
                "-drive", "if=pflash,format=raw,file=vars.fd",
                "-drive", "if=none,id=disk,format=raw,file=%s" % self.disk_image.resolve(),
                "-device", "virtio-blk-device,drive=disk",
                "-nic", "none", "-display", "none", "-serial", "stdio",
                "-boot", "menu=on,splash-time=0",
                "-monitor", "unix:monitor.sock,server=on,wait=off"]
        if self.graphics:
            args += ["-device", "ramfb"]
        # The outer timeout ends QEMU even if this script dies first.
        return ["timeout", "--kill-after=5", str(int(self.time_limit)), *args]

    def __enter__(self):
        if _stopping.is_set():
            raise BootError("run interrupted")
        self.run_dir.mkdir(parents=True, exist_ok=True)
        (self.run_dir / "monitor.sock").unlink(missing_ok=True)
        self.started = time.monotonic()
        self._process = subprocess.Popen(self.command(), cwd=self.run_dir, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=open(self.run_dir / "qemu.stderr", "wb"),
                                         start_new_session=True)
        _live_sessions.add(self)
        threading.Thread(target=self._read, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def _read(self):
        while True:
            chunk = self._process.stdout.read1(65536)
            with self._lock:
                if not chunk:
                    self._lock.notify_all()
                    return
                self.output.extend(chunk)
                self._lock.notify_all()

    def close(self):
        if self._process is None:
            return
        _live_sessions.discard(self)
        # SIGTERM to `timeout` passes on to QEMU, which it then waits for;
        # the whole process group is killed only if that does not end it.
        if self._process.poll() is None:
            self._process.send_signal(signal.SIGTERM)
            try:
                self._process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
        try:
            os.killpg(self._process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        self._process.wait()
        (self.run_dir / "serial.log").write_bytes(bytes(self.output))

    def wait_exit(self, timeout):
        try:
            return self._process.wait(timeout=timeout)
        except subprocess.TimeoutExpired as exc:
            raise BootError("QEMU still running after %ds" % timeout) from exc

    # Serial --------------------------------------------------------------

    def wait_for(self, pattern, timeout, start=0):
        """Waits until `pattern` (bytes regex) appears in the output after
        `start`; returns the match."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._lock:
            while True:
                match = regex.search(self.output, start)
                if match:
                    return match
                remaining = deadline - time.monotonic()
                if remaining <= 0 or (self._process.poll() is not None and not self._reader_alive()):
                    tail = bytes(self.output[-600:]).decode("latin-1")
                    raise BootError("no %r within %ds; output ends with:\n%s" % (pattern, timeout, tail))
                self._lock.wait(min(remaining, 0.2))

    def _reader_alive(self):
        return self._process.stdout is not None and not self._process.stdout.closed and self._process.poll() is None

    def wait_quiet(self, quiet=0.6, timeout=15):
        """Waits until no output has arrived for `quiet` seconds."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            before = len(self.output)
            time.sleep(quiet)
            if len(self.output) == before:
                return
        raise BootError("console never went quiet")

    def send(self, keys):
        self._process.stdin.write(keys)
        self._process.stdin.flush()

    def screen(self):
        """The decoded 80x25 text screen (pyte) after all output so far."""
        with self._lock:
            data = bytes(self.output[self._fed:])
            self._fed = len(self.output)
        self._stream.feed(data)
        return self._screen

    def screen_text(self):
        return "\n".join(line.rstrip() for line in self.screen().display)

    # Monitor -------------------------------------------------------------

    def monitor(self, line, timeout=10):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as sock:
            sock.settimeout(timeout)
            sock.connect(str(self.run_dir / "monitor.sock"))
            reply = self._until_prompt(sock)
            sock.sendall(line.encode() + b"\n")
            reply = self._until_prompt(sock)
        return reply.decode("latin-1")

    @staticmethod
    def _until_prompt(sock):
        data = b""
        while not data.endswith(b"(qemu) "):
            chunk = sock.recv(4096)
            if not chunk:
                break
            data += chunk
        return data

    def screenshot(self, png_path):
        ppm = Path(png_path).with_suffix(".ppm")
        ppm.unlink(missing_ok=True)
        self.monitor("screendump %s" % ppm.resolve())
        deadline = time.monotonic() + 10
        while not ppm.exists() and time.monotonic() < deadline:
            time.sleep(0.1)
        size = ppm_to_png(ppm, png_path)
        ppm.unlink()
        return size
