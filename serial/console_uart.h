// SPDX-License-Identifier: BSD-2-Clause-Patent
// Console UART bring-up: puts the PL011-compatible UART at CONSOLE_UART_BASE
// into the fixed line configuration, or leaves it if it already has it.
#pragma once

#include "platform/types.h"

// Upper bound on transmit-FIFO polls before reprogramming anyway. A PL011
// transmit FIFO holds 32 characters; drained at 2400 baud (10 bits a
// character) that takes 133 ms. A read of a device register (uncached,
// strictly ordered, across the peripheral bus) takes on the order of
// 100 ns, so 2^22 polls last about 0.4 s, three times that, while a wedged
// or absent UART delays the boot by a few seconds at most (at 1 us a read)
// instead of hanging it.
inline constexpr UINT32 CONSOLE_UART_DRAIN_POLL_LIMIT = 1U << 22;

void InitConsoleUart();
