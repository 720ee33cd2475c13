// SPDX-License-Identifier: BSD-2-Clause-Patent
// The format engine's argument list. Every argument travels as one 64-bit
// slot and the directives take slots strictly in order: a 32-bit directive
// uses the low 32 bits of its slot, 'c' the low 16 bits, pointer
// directives the whole slot as an address.
#pragma once

#include "platform/types.h"

struct FORMAT_ARGS {
  const UINT64 *Slots;
  UINTN Count;
  UINTN Next;
};

// The next slot. A list that is used up (or missing) yields 0, which a
// pointer directive reads as NULL, so a format asking for more arguments
// than were passed never reads beyond the list.
inline UINT64 TakeFormatArg(FORMAT_ARGS *Args) {
  if (Args == nullptr || Args->Next >= Args->Count) {
    return 0;
  }
  return Args->Slots[Args->Next++];
}

// Packing of one argument into its slot: signed integers are sign-extended,
// unsigned integers and characters zero-extended, pointers stored as their
// address. Floating-point and class arguments have no overload on purpose.
constexpr UINT64 FormatSlot(signed char Value) { return static_cast<UINT64>(static_cast<INT64>(Value)); }
constexpr UINT64 FormatSlot(short Value) { return static_cast<UINT64>(static_cast<INT64>(Value)); }
constexpr UINT64 FormatSlot(int Value) { return static_cast<UINT64>(static_cast<INT64>(Value)); }
constexpr UINT64 FormatSlot(long Value) { return static_cast<UINT64>(static_cast<INT64>(Value)); }
constexpr UINT64 FormatSlot(long long Value) { return static_cast<UINT64>(Value); }
constexpr UINT64 FormatSlot(unsigned char Value) { return Value; }
constexpr UINT64 FormatSlot(unsigned short Value) { return Value; }
constexpr UINT64 FormatSlot(unsigned int Value) { return Value; }
constexpr UINT64 FormatSlot(unsigned long Value) { return Value; }
constexpr UINT64 FormatSlot(unsigned long long Value) { return Value; }
// A plain char is a character code whatever the target's char signedness.
constexpr UINT64 FormatSlot(char Value) { return static_cast<unsigned char>(Value); }
constexpr UINT64 FormatSlot(char16_t Value) { return Value; }
constexpr UINT64 FormatSlot(decltype(nullptr)) { return 0; }
template <typename T>
inline UINT64 FormatSlot(const T *Pointer) {
  return reinterpret_cast<UINTN>(Pointer);
}
