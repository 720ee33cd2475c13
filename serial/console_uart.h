// Console UART bring-up: puts the PL011-compatible UART at CONSOLE_UART_BASE
// into the fixed line configuration, or leaves it if it already has it.
#pragma once

#include "platform/types.h"

// Upper bound on transmit-FIFO polls before reprogramming anyway. A PL011
// transmit FIFO holds 32 characters; drained at 2400 baud (10 bits a
// character) that takes 133 ms. A device-register read costs tens of
// nanoseconds at the very least, so 2^22 polls last well over that, while a
// wedged or absent UART delays the boot by seconds at most instead of
// hanging it.
inline constexpr UINT32 CONSOLE_UART_DRAIN_POLL_LIMIT = 1U << 22;

void InitConsoleUart();
