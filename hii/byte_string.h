// SPDX-License-Identifier: BSD-2-Clause-Patent
// Compile-time byte strings: the building material of the page's carried
// packages. Every builder returns a BYTE_STRING whose size is part of its
// type, so lengths are checked by the compiler and the finished bytes are
// constant data with no run-time initialisation.
#pragma once

#include "platform/types.h"

namespace hii_build {

template <UINTN N>
struct BYTE_STRING {
  static constexpr UINTN SIZE = N;
  UINT8 Bytes[N] = {};

  // Copies this string into Out at Offset; returns the offset behind it.
  template <UINTN M>
  constexpr UINTN CopyInto(BYTE_STRING<M> &Out, UINTN Offset) const {
    for (UINTN Index = 0; Index < N; ++Index) {
      Out.Bytes[Offset + Index] = Bytes[Index];
    }
    return Offset + N;
  }
};

// The parts back to back, in order.
template <UINTN... N>
constexpr BYTE_STRING<(N + ...)> Concat(const BYTE_STRING<N> &...Parts) {
  BYTE_STRING<(N + ...)> Out;
  UINTN Offset = 0;
  ((Offset = Parts.CopyInto(Out, Offset)), ...);
  return Out;
}

constexpr BYTE_STRING<1> U8(UINT8 Value) { return {{Value}}; }

constexpr BYTE_STRING<2> Le16(UINT16 Value) { return {{static_cast<UINT8>(Value), static_cast<UINT8>(Value >> 8)}}; }

constexpr BYTE_STRING<4> Le32(UINT32 Value) {
  return Concat(Le16(static_cast<UINT16>(Value)), Le16(static_cast<UINT16>(Value >> 16)));
}

constexpr BYTE_STRING<8> Le64(UINT64 Value) {
  return Concat(Le32(static_cast<UINT32>(Value)), Le32(static_cast<UINT32>(Value >> 32)));
}

// Puts bytes one after another at Out; with Out null it only counts them,
// which sizes the string they are then put into (Written below).
struct BYTE_SINK {
  UINT8 *Out = nullptr;
  UINTN Length = 0;

  constexpr void PutByte(UINT8 Value) {
    if (Out != nullptr) {
      Out[Length] = Value;
    }
    ++Length;
  }

  template <UINTN N>
  constexpr void Put(const BYTE_STRING<N> &Part) {
    for (UINT8 Byte : Part.Bytes) {
      PutByte(Byte);
    }
  }
};

constexpr UINTN CountWritten(void (*Write)(BYTE_SINK &)) {
  BYTE_SINK Counter;
  Write(Counter);
  return Counter.Length;
}

// What Write puts, as a BYTE_STRING of exactly that size: for parts whose
// sizes come from data (a table, texts) rather than from types.
template <void (*Write)(BYTE_SINK &)>
constexpr auto Written() {
  BYTE_STRING<CountWritten(Write)> Out;
  BYTE_SINK Sink{Out.Bytes};
  Write(Sink);
  return Out;
}

// An EFI_GUID in its in-memory layout: three little-endian fields, then
// eight bytes as they stand.
constexpr BYTE_STRING<16> GuidBytes(const EFI_GUID &Guid) {
  BYTE_STRING<8> Tail;
  for (UINTN Index = 0; Index < 8; ++Index) {
    Tail.Bytes[Index] = Guid.Data4[Index];
  }
  return Concat(Le32(Guid.Data1), Le16(Guid.Data2), Le16(Guid.Data3), Tail);
}

}  // namespace hii_build
