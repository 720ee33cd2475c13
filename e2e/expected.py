# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Expected page texts of a scenario, derived from the scenario's facts, the
board configuration and the source ids of the build."""

import re
from pathlib import Path

from page_model import INITIAL_STRINGS

FOUR_STRAP_BOARD = "Vemko Tarsa Q4M"
TWO_STRAP_BOARD = "Vemko Tarsa Q4L"

FOUR_STRAP_LABELS = [
    "4 GiB", "4 GiB (Hynix)", "2 GiB", "12 GiB (Hynix)", "Undefined", "3 GiB",
    "8 GiB (Hive)", "6 GiB (Hive)", "8 GiB (V1.1)", "12 GiB (Hive)", "16 GiB (Hynix)",
    "8 GiB (Samsung)", "16 GiB (Rayson)", "4 GiB (Hive)", "8 GiB (Hynix)", "Development Sample",
]

# Firmware rows: component index -> value string id.
FIRMWARE_ROWS = {0: 20, 2: 22, 3: 24, 1: 26, 4: 28, 7: 30, 6: 32, 5: 34}
SOURCE_ROWS = {"EDK2_ZUN": 41, "EDK2": 43, "EDK2_NON_OSI": 45, "EDK2_PLATFORMS": 47}
SOURCE_ID_SYMBOLS = {
    "mSourceIdEdk2Zun": "EDK2_ZUN", "mSourceIdEdk2": "EDK2",
    "mSourceIdEdk2NonOsi": "EDK2_NON_OSI", "mSourceIdEdk2Platforms": "EDK2_PLATFORMS",
}


def read_wide_constants(path):
    """name -> text of every `NAME[] = u"text"` definition in a C++ file."""
    text = Path(path).read_text()
    return dict(re.findall(r'\b(m\w+)\[\]\s*=\s*u"((?:[^"\\]|\\.)*)"', text))


def read_source_ids(path):
    constants = read_wide_constants(path)
    return {tree: constants[symbol] for symbol, tree in SOURCE_ID_SYMBOLS.items()}


def memory_chip_text(board, straps):
    if board == FOUR_STRAP_BOARD:
        label = FOUR_STRAP_LABELS[straps]
    elif board == TWO_STRAP_BOARD:
        label = "Development Sample" if straps == 3 else "Undefined"
    else:
        return "Internal Error"
    return "%s | (Raw Value: %d)" % (label, straps & 0xFFFF)


def pd_text(pd):
    if pd["fault"] != "none":
        return "Undefined"
    boot, app = pd["boot"], pd["app"]
    return "Boot: v%d.%d.%d\r\nApp: v%d.%d.%d" % (boot[0], boot[1], boot[2], app[0], app[1], app[2])


def expected_strings(scenario, board, source_ids):
    """id -> text for ids 1..47 once the driver has run in `scenario`."""
    strings = dict(INITIAL_STRINGS)
    if scenario["platform"]:
        memory = scenario["memory"]
        strings[36] = "%d GiB" % (memory["mib"] >> 10)
        strings[38] = "%d MT/s" % (memory["clock_mhz"] * 2)
        strings[9] = board
        strings[17] = pd_text(scenario["pd"])
        strings[11] = memory_chip_text(board, scenario["straps"])
        for component, string_id in FIRMWARE_ROWS.items():
            text = scenario["firmware"][component]
            strings[string_id] = "N/A" if text is None else text
    for tree, string_id in SOURCE_ROWS.items():
        strings[string_id] = source_ids[tree]
    return strings
