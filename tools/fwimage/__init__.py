"""Firmware-image tool: dependency expressions, firmware files, and the
volumes of a flash image (list, insert, extract)."""
