#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Firmware-image tool: `fwimage.py {depex,ffs,list,check,insert,remove,extract} ...`;
see tools/fwimage/cli.py."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True

from fwimage.cli import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
