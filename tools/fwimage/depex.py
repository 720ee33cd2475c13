"""DXE dependency expressions: a postfix program of PUSH GUID, AND, OR, NOT,
TRUE, FALSE, closed by END."""
from .errors import FwError

BEFORE, AFTER, PUSH, AND, OR, NOT, TRUE, FALSE, END, SOR = range(10)
_NAMES = {BEFORE: "BEFORE", AFTER: "AFTER", PUSH: "PUSH", AND: "AND", OR: "OR", NOT: "NOT",
          TRUE: "TRUE", FALSE: "FALSE", END: "END", SOR: "SOR"}


def all_of(protocols):
    """Every protocol installed: PUSH a PUSH b AND PUSH c AND ... END; none: TRUE END."""
    if not protocols:
        return bytes([TRUE, END])
    program = bytearray([PUSH]) + protocols[0]
    for guid in protocols[1:]:
        program += bytes([PUSH]) + guid + bytes([AND])
    return bytes(program + bytes([END]))


def decode(program):
    """Opcodes of an expression as words ("PUSH <guid>"), checked for shape."""
    from . import guids
    words, at, depth = [], 0, 0
    while at < len(program):
        op = program[at]
        at += 1
        if op in (PUSH, BEFORE, AFTER):
            if at + 16 > len(program):
                raise FwError("dependency expression: GUID operand cut short")
            words.append(f"{_NAMES[op]} {guids.text(program[at:at + 16])}")
            at += 16
            depth += 1
        elif op in (AND, OR, NOT, TRUE, FALSE, END, SOR):
            words.append(_NAMES[op])
            depth += {AND: -1, OR: -1, NOT: 0, TRUE: 1, FALSE: 1, END: 0, SOR: 0}[op]
            if op == END:
                if at != len(program) or depth != 1:
                    raise FwError("dependency expression: END must close a one-value program")
                return words
        else:
            raise FwError(f"dependency expression: unknown opcode 0x{op:02X}")
        if depth < 1 and op not in (SOR,):
            raise FwError("dependency expression: operator without operands")
    raise FwError("dependency expression: no END")
