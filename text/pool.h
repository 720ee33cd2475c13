// SPDX-License-Identifier: BSD-2-Clause-Patent
// Pool memory through the boot services kept in gBootServices. Buffers are
// EfiBootServicesData, zeroed when taken, and released by their taker.
#pragma once

#include "platform/types.h"

// Zero-filled pool buffer of Size bytes, or NULL when AllocatePool fails
// (whatever it left in its output) or yields no buffer.
void *AllocateZeroed(UINTN Size);

// Returns a buffer to FreePool; FreePool's status is not looked at.
void FreeBuffer(void *Buffer);
