// SPDX-License-Identifier: BSD-2-Clause-Patent
// Line-oriented console output for the emulator-run programs. A line is
// assembled in a fixed buffer and written through ConOut followed by CR LF;
// the run script reads these lines from the serial console. A driver that
// may run before the consoles are connected (dispatched from flash, or
// loaded from a Driver#### option) names the PL011 instead: its ConOut then
// reaches no device yet, so its lines go to the UART's data register.
#pragma once

#include "platform/boot_services.h"
#include "platform/types.h"

// Long enough for the longest escaped value a page string can hold.
inline constexpr UINTN E2E_LINE_CAPACITY = 1024;

struct E2E_LINE {
  CHAR16 Text[E2E_LINE_CAPACITY];
  UINTN Length;
  BOOLEAN Truncated;
};

// Remembers the system table whose ConOut receives every line, or the PL011
// that receives them instead (0: ConOut).
void ConsoleLineInit(EFI_SYSTEM_TABLE *SystemTable, UINTN UartBase = 0);

void LineStart(E2E_LINE *Line, const CHAR8 *Prefix);
void LineAscii(E2E_LINE *Line, const CHAR8 *Text);
void LineDecimal(E2E_LINE *Line, UINT64 Value);
// Upper-case hexadecimal, zero-padded to Digits.
void LineHex(E2E_LINE *Line, UINT64 Value, UINTN Digits);
// Printable ASCII as is; backslash, CR and LF as \\, \r, \n; every other
// unit as \uXXXX, so a value always stays on one line.
void LineEscaped(E2E_LINE *Line, const CHAR16 *Text);
// Writes the line and CR LF. A line that did not fit ends in "\~".
void LineEmit(E2E_LINE *Line);

// One-call form for fixed messages.
void ConsoleMessage(const CHAR8 *Text);
