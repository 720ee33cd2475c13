# SPDX-License-Identifier: BSD-2-Clause-Patent
"""Firmware-image tool: dependency expressions, firmware files, and the
volumes of a flash image (list, insert, extract)."""
