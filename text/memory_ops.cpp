// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "text/memory_ops.h"

namespace {

// Word types that may alias any object, so word stores into byte buffers
// are well defined.
using WORD64 = UINT64 __attribute__((may_alias));
using WORD32 = UINT32 __attribute__((may_alias));

bool AlignedTo(UINTN Address, UINTN Unit) { return (Address & (Unit - 1)) == 0; }

UINTN UnitFor(UINTN Address, UINTN Length) {
  if (AlignedTo(Address, 8) && Length >= 8) {
    return 8;
  }
  if (AlignedTo(Address, 4) && Length >= 4) {
    return 4;
  }
  return 1;
}

// One unit of `unit` bytes from `from` to `to`; both are aligned to it.
void MoveUnit(UINT8 *To, const UINT8 *From, UINTN Unit) {
  if (Unit == 8) {
    *reinterpret_cast<WORD64 *>(To) = *reinterpret_cast<const WORD64 *>(From);
  } else if (Unit == 4) {
    *reinterpret_cast<WORD32 *>(To) = *reinterpret_cast<const WORD32 *>(From);
  } else {
    *To = *From;
  }
}

}  // namespace

void *FillBytes(void *Buffer, UINTN Value, UINTN Length) {
  auto *Bytes = static_cast<UINT8 *>(Buffer);
  for (UINTN Index = 0; Index < Length; ++Index) {
    Bytes[Index] = static_cast<UINT8>(Value);
  }
  return Buffer;
}

void *ZeroFill(void *Buffer, UINTN Length) {
  auto *Bytes = static_cast<UINT8 *>(Buffer);
  const UINTN Unit = UnitFor(reinterpret_cast<UINTN>(Buffer), Length);
  const UINTN Whole = Length - Length % Unit;
  UINTN Index = 0;
  for (; Index < Whole; Index += Unit) {
    if (Unit == 8) {
      *reinterpret_cast<WORD64 *>(Bytes + Index) = 0;
    } else if (Unit == 4) {
      *reinterpret_cast<WORD32 *>(Bytes + Index) = 0;
    } else {
      Bytes[Index] = 0;
    }
  }
  for (; Index < Length; ++Index) {
    Bytes[Index] = 0;
  }
  return Buffer;
}

void *CopyBytes(void *Destination, const void *Source, UINTN Length) {
  auto *To = static_cast<UINT8 *>(Destination);
  const auto *From = static_cast<const UINT8 *>(Source);
  if (Length == 0 || To == From) {
    return Destination;
  }
  const UINTN ToAddress = reinterpret_cast<UINTN>(To);
  const UINTN FromAddress = reinterpret_cast<UINTN>(From);
  const UINTN Unit = UnitFor(ToAddress | FromAddress, Length);
  const UINTN Whole = Length - Length % Unit;
  if (ToAddress < FromAddress) {
    UINTN Index = 0;
    for (; Index < Whole; Index += Unit) {
      MoveUnit(To + Index, From + Index, Unit);
    }
    for (; Index < Length; ++Index) {
      To[Index] = From[Index];
    }
  } else {
    for (UINTN Index = Length; Index > Whole; --Index) {
      To[Index - 1] = From[Index - 1];
    }
    for (UINTN Index = Whole; Index > 0; Index -= Unit) {
      MoveUnit(To + Index - Unit, From + Index - Unit, Unit);
    }
  }
  return Destination;
}
