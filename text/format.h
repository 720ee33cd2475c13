// SPDX-License-Identifier: BSD-2-Clause-Patent
// The format engine: printf-style formatting of numbers and texts into an
// 8-bit, NUL-terminated text in a caller's buffer.
//
// Directives: %d %u %x %X (32-bit; 'l' or 'L' for 64-bit), %p (64-bit hex),
// %c (a CHAR16), %a (8-bit text), %s %S (CHAR16 text), %g (EFI_GUID *),
// %t (EFI_TIME *), %r (EFI_STATUS by name); flags '-' '+' ' ' ',' '0',
// width and precision as digits or '*'. Any other character after '%'
// prints itself. Hexadecimal digits are upper case; every line feed of the
// format is written as carriage return + line feed.
//
// Passing arguments: FormatAscii packs each argument into one 64-bit slot
// (see format_args.h) and the directives take the slots in order, a '*'
// before its directive's own. A directive that finds the list used up
// takes 0: the number 0, or a NULL pointer, which prints as the NULL
// placeholder ("<null string>", "<null guid>", "<null time>").
#pragma once

#include "text/format_args.h"

// Size of the engine's own scratch text (GUID, time and unnamed status).
inline constexpr UINTN FORMAT_SCRATCH_SIZE = 38;

// Formats into Buffer, storing at most Size - 1 characters and then a NUL.
// Returns the number of characters stored before the NUL. Stores nothing,
// not even the NUL, and returns 0 when Size is 0, when Buffer is NULL with
// a non-zero Size, when Format is NULL, or when Format is longer than
// 1,000,000 characters. Args may be NULL for a format without arguments.
UINTN FormatAsciiList(CHAR8 *Buffer, UINTN Size, const CHAR8 *Format, FORMAT_ARGS *Args);

// FormatAsciiList over the given arguments. Kept a thin packer: each
// instantiation only fills a slot array on the stack.
template <typename... ARGS>
inline UINTN FormatAscii(CHAR8 *Buffer, UINTN Size, const CHAR8 *Format, ARGS... Args) {
  const UINT64 Slots[sizeof...(ARGS) + 1] = {FormatSlot(Args)..., 0};
  FORMAT_ARGS List = {Slots, sizeof...(ARGS), 0};
  return FormatAsciiList(Buffer, Size, Format, &List);
}

// The engine's nested entry: FormatAscii into a FORMAT_SCRATCH_SIZE buffer.
template <typename... ARGS>
inline UINTN FormatScratch(CHAR8 *Buffer, const CHAR8 *Format, ARGS... Args) {
  return FormatAscii(Buffer, FORMAT_SCRATCH_SIZE, Format, Args...);
}
