# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Per-function stack use of a linked AArch64 firmware image and its deepest
call path, from the image's link map (function addresses) and disassembly
(stack adjustments in each prologue, direct calls). Calls through function
pointers (boot services, protocols) leave the image and end a path.

Usage: stack_usage.py IMAGE.efi IMAGE.map
"""
import re
import subprocess
import sys


def functions(map_path):
    """(address, name) of every public and static symbol in the code section."""
    found = {}
    for line in open(map_path):
        match = re.match(r"\s+0001:[0-9a-f]{8}\s+(\S+)\s+([0-9a-f]{16})", line)
        if match:
            found[int(match.group(2), 16)] = match.group(1)
    return sorted(found.items())


def is_function(name):
    """C functions, or C++ functions by their Microsoft mangling (data: @@3)."""
    return "@@Y" in name or not name.startswith("?")


def readable(name):
    match = re.match(r"\?([A-Za-z_0-9]+)@", name)
    return match.group(1) if match else name


def disassembly(image):
    text = subprocess.run(["llvm-objdump", "-d", "--no-show-raw-insn", image],
                          capture_output=True, text=True, check=True).stdout
    return [(int(m.group(1), 16), m.group(2).strip())
            for m in re.finditer(r"^\s*([0-9a-f]+):\s+(.+)$", text, re.M)]


def frame_bytes(instruction):
    """Bytes one prologue instruction takes off the stack."""
    pre_index = re.search(r"\[sp, #-(\d+)\]!", instruction)
    if pre_index:
        return int(pre_index.group(1))
    sub = re.match(r"sub\s+sp, sp, #(0x[0-9a-f]+|\d+)(?:, lsl #12)?", instruction)
    if sub:
        value = int(sub.group(1), 0)
        return value << 12 if "lsl #12" in instruction else value
    return 0


def main():
    image, map_path = sys.argv[1], sys.argv[2]
    symbols = functions(map_path)
    code = disassembly(image)
    starts = [address for address, _ in symbols]
    names = dict(symbols)
    frames, calls = {}, {}
    for index, (start, name) in enumerate(symbols):
        end = starts[index + 1] if index + 1 < len(starts) else float("inf")
        body = [ins for address, ins in code if start <= address < end]
        if not body or not is_function(name):
            continue
        frames[start] = sum(frame_bytes(ins) for ins in body if "sp" in ins and ("!" in ins or ins.startswith("sub")))
        calls[start] = sorted({int(m.group(1), 16) for ins in body for m in [re.match(r"bl\s+0x([0-9a-f]+)", ins)] if m})
    deepest = {}

    def depth(function, seen=()):
        if function in seen:
            return 0, [names[function] + " (recursion)"]
        best, path = 0, []
        for callee in calls.get(function, []):
            if callee in frames:
                total, sub = depth(callee, seen + (function,))
                if total > best:
                    best, path = total, sub
        return frames[function] + best, [readable(names[function])] + path

    print("%-28s %6s" % ("function", "stack"))
    for start in sorted(frames, key=lambda f: -frames[f]):
        print("%-28s %6d" % (readable(names[start]), frames[start]))
    entry = next(start for start, name in symbols if name == "DriverEntry")
    total, path = depth(entry)
    print("deepest path from DriverEntry: %d bytes: %s" % (total, " -> ".join(path)))


main()
