// SPDX-License-Identifier: BSD-2-Clause-Patent
// Memory fill and copy. ZeroFill and CopyBytes move 8 bytes per store when
// the addresses allow it, else 4, else 1; nothing outside the given range
// is touched.
#pragma once

#include "platform/types.h"

// Sets Length bytes to the low 8 bits of Value, one byte at a time upward.
void *FillBytes(void *Buffer, UINTN Value, UINTN Length);

// Zeroes Length bytes; the buffer's own alignment picks the store width.
void *ZeroFill(void *Buffer, UINTN Length);

// Copies Length bytes; overlapping ranges are handled in both directions.
void *CopyBytes(void *Destination, const void *Source, UINTN Length);
