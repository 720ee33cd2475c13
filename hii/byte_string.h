// Compile-time byte strings: the building material of the page's carried
// packages. Every builder returns a ByteString whose size is part of its
// type, so lengths are checked by the compiler and the finished bytes are
// constant data with no run-time initialisation.
#pragma once

#include "platform/types.h"

namespace hii_build {

template <UINTN N>
struct ByteString {
  static constexpr UINTN Size = N;
  UINT8 Bytes[N] = {};

  // Copies this string into Out at Offset; returns the offset behind it.
  template <UINTN M>
  constexpr UINTN CopyInto(ByteString<M> &Out, UINTN Offset) const {
    for (UINTN Index = 0; Index < N; ++Index) {
      Out.Bytes[Offset + Index] = Bytes[Index];
    }
    return Offset + N;
  }
};

// The parts back to back, in order.
template <UINTN... N>
constexpr ByteString<(N + ...)> Concat(const ByteString<N> &...Parts) {
  ByteString<(N + ...)> out;
  UINTN offset = 0;
  ((offset = Parts.CopyInto(out, offset)), ...);
  return out;
}

constexpr ByteString<1> U8(UINT8 Value) { return {{Value}}; }

constexpr ByteString<2> Le16(UINT16 Value) { return {{static_cast<UINT8>(Value), static_cast<UINT8>(Value >> 8)}}; }

constexpr ByteString<4> Le32(UINT32 Value) {
  return Concat(Le16(static_cast<UINT16>(Value)), Le16(static_cast<UINT16>(Value >> 16)));
}

constexpr ByteString<8> Le64(UINT64 Value) {
  return Concat(Le32(static_cast<UINT32>(Value)), Le32(static_cast<UINT32>(Value >> 32)));
}

// Puts bytes one after another at Out; with Out null it only counts them,
// which sizes the string they are then put into (Written below).
struct ByteSink {
  UINT8 *Out = nullptr;
  UINTN Length = 0;

  constexpr void PutByte(UINT8 Value) {
    if (Out != nullptr) {
      Out[Length] = Value;
    }
    ++Length;
  }

  template <UINTN N>
  constexpr void Put(const ByteString<N> &Part) {
    for (UINT8 byte : Part.Bytes) {
      PutByte(byte);
    }
  }
};

constexpr UINTN CountWritten(void (*Write)(ByteSink &)) {
  ByteSink counter;
  Write(counter);
  return counter.Length;
}

// What Write puts, as a ByteString of exactly that size: for parts whose
// sizes come from data (a table, texts) rather than from types.
template <void (*Write)(ByteSink &)>
constexpr auto Written() {
  ByteString<CountWritten(Write)> out;
  ByteSink sink{out.Bytes};
  Write(sink);
  return out;
}

// An EFI_GUID in its in-memory layout: three little-endian fields, then
// eight bytes as they stand.
constexpr ByteString<16> GuidBytes(const EFI_GUID &Guid) {
  ByteString<8> tail;
  for (UINTN Index = 0; Index < 8; ++Index) {
    tail.Bytes[Index] = Guid.Data4[Index];
  }
  return Concat(Le32(Guid.Data1), Le16(Guid.Data2), Le16(Guid.Data3), tail);
}

}  // namespace hii_build
