#include "text/memory_ops.h"

namespace {

// Word types that may alias any object, so word stores into byte buffers
// are well defined.
using Word64 = UINT64 __attribute__((may_alias));
using Word32 = UINT32 __attribute__((may_alias));

bool AlignedTo(UINTN address, UINTN unit) { return (address & (unit - 1)) == 0; }

UINTN UnitFor(UINTN address, UINTN length) {
  if (AlignedTo(address, 8) && length >= 8) {
    return 8;
  }
  if (AlignedTo(address, 4) && length >= 4) {
    return 4;
  }
  return 1;
}

// One unit of `unit` bytes from `from` to `to`; both are aligned to it.
void MoveUnit(UINT8 *to, const UINT8 *from, UINTN unit) {
  if (unit == 8) {
    *reinterpret_cast<Word64 *>(to) = *reinterpret_cast<const Word64 *>(from);
  } else if (unit == 4) {
    *reinterpret_cast<Word32 *>(to) = *reinterpret_cast<const Word32 *>(from);
  } else {
    *to = *from;
  }
}

}  // namespace

void *FillBytes(void *Buffer, UINTN Value, UINTN Length) {
  auto *bytes = static_cast<UINT8 *>(Buffer);
  for (UINTN Index = 0; Index < Length; ++Index) {
    bytes[Index] = static_cast<UINT8>(Value);
  }
  return Buffer;
}

void *ZeroFill(void *Buffer, UINTN Length) {
  auto *bytes = static_cast<UINT8 *>(Buffer);
  const UINTN unit = UnitFor(reinterpret_cast<UINTN>(Buffer), Length);
  const UINTN whole = Length - Length % unit;
  UINTN Index = 0;
  for (; Index < whole; Index += unit) {
    if (unit == 8) {
      *reinterpret_cast<Word64 *>(bytes + Index) = 0;
    } else if (unit == 4) {
      *reinterpret_cast<Word32 *>(bytes + Index) = 0;
    } else {
      bytes[Index] = 0;
    }
  }
  for (; Index < Length; ++Index) {
    bytes[Index] = 0;
  }
  return Buffer;
}

void *CopyBytes(void *Destination, const void *Source, UINTN Length) {
  auto *to = static_cast<UINT8 *>(Destination);
  const auto *from = static_cast<const UINT8 *>(Source);
  if (Length == 0 || to == from) {
    return Destination;
  }
  const UINTN to_address = reinterpret_cast<UINTN>(to);
  const UINTN from_address = reinterpret_cast<UINTN>(from);
  const UINTN unit = UnitFor(to_address | from_address, Length);
  const UINTN whole = Length - Length % unit;
  if (to_address < from_address) {
    UINTN Index = 0;
    for (; Index < whole; Index += unit) {
      MoveUnit(to + Index, from + Index, unit);
    }
    for (; Index < Length; ++Index) {
      to[Index] = from[Index];
    }
  } else {
    for (UINTN Index = Length; Index > whole; --Index) {
      to[Index - 1] = from[Index - 1];
    }
    for (UINTN Index = whole; Index > 0; Index -= unit) {
      MoveUnit(to + Index - unit, from + Index - unit, unit);
    }
  }
  return Destination;
}
