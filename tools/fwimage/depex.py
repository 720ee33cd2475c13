# SPDX-License-Identifier: BSD-2-Clause-Patent
"""DXE dependency expressions: a postfix program of PUSH GUID, AND, OR, NOT,
TRUE, FALSE, closed by END."""
from . import guids
from .errors import FwError

BEFORE, AFTER, PUSH, AND, OR, NOT, TRUE, FALSE, END, SOR = range(10)
_NAMES = {BEFORE: "BEFORE", AFTER: "AFTER", PUSH: "PUSH", AND: "AND", OR: "OR", NOT: "NOT",
          TRUE: "TRUE", FALSE: "FALSE", END: "END", SOR: "SOR"}
# Values each opcode leaves on the evaluation stack, less those it takes.
_STACK_EFFECT = {BEFORE: 1, AFTER: 1, PUSH: 1, AND: -1, OR: -1, NOT: 0, TRUE: 1, FALSE: 1, END: 0, SOR: 0}


def all_of(protocols):
    """Every protocol installed: PUSH a PUSH b AND PUSH c AND ... END; none: TRUE END."""
    if not protocols:
        return bytes([TRUE, END])
    program = bytearray([PUSH]) + protocols[0]
    for guid in protocols[1:]:
        program += bytes([PUSH]) + guid + bytes([AND])
    return bytes(program + bytes([END]))


def decode(program):
    """Opcodes of an expression as words ("PUSH <guid>"), checked for shape:
    every operator has its operands and END closes a one-value program."""
    words, at, depth = [], 0, 0
    while at < len(program):
        op = program[at]
        at += 1
        if op not in _STACK_EFFECT:
            raise FwError(f"dependency expression: unknown opcode 0x{op:02X}")
        words.append(_NAMES[op])
        if op in (PUSH, BEFORE, AFTER):
            if at + 16 > len(program):
                raise FwError("dependency expression: GUID operand cut short")
            words[-1] += " " + guids.text(program[at:at + 16])
            at += 16
        depth += _STACK_EFFECT[op]
        if op == END:
            if at != len(program) or depth != 1:
                raise FwError("dependency expression: END must close a one-value program")
            return words
        if depth < 1 and op != SOR:
            raise FwError("dependency expression: operator without operands")
    raise FwError("dependency expression: no END")
