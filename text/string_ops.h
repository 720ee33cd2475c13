// SPDX-License-Identifier: BSD-2-Clause-Patent
// Text primitives: widening, length and comparison of NUL-terminated texts.
// Bytes and CHAR16 units are compared as unsigned values. None of these
// checks its pointers: callers pass valid, terminated texts.
#pragma once

#include "platform/types.h"

// Copies Source into Destination unit for unit, terminator included; each
// byte becomes the CHAR16 of the same value (no code page, no sign
// extension). Destination must hold AsciiLength(Source) + 1 units.
void WidenAscii(const CHAR8 *Source, CHAR16 *Destination);

// Number of bytes before the first NUL.
UINTN AsciiLength(const CHAR8 *String);

// Compares at most Length bytes, stopping at a NUL in either text or at the
// first difference; returns the difference of the last pair compared.
INTN CompareAsciiN(const CHAR8 *First, const CHAR8 *Second, UINTN Length);

// Compares two CHAR16 texts; returns the difference of the first unequal
// pair, or of the pair at First's terminator.
INTN CompareWide(const CHAR16 *First, const CHAR16 *Second);
