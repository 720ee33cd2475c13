// SPDX-License-Identifier: BSD-2-Clause-Patent
// Little-endian access at any alignment, and GUID compare/store built on it.
// Device-path nodes and package arrays are byte-packed, so GUIDs and length
// fields inside them may lie at any address.
#pragma once

#include "platform/types.h"

UINT16 ReadLe16(const void *Address);
UINT32 ReadLe32(const void *Address);
UINT64 ReadLe64(const void *Address);

// Writes exactly eight bytes, least significant first.
void *WriteLe64(void *Address, UINT64 Value);

// Compares the two GUIDs as two 64-bit halves.
BOOLEAN CompareGuidTo(const void *Guid, const void *Reference);

// Stores Source at Destination as two 64-bit halves.
void *WriteGuid(void *Destination, const void *Source);
