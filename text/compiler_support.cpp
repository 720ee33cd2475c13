// SPDX-License-Identifier: BSD-2-Clause-Patent
// memcpy and memset for the firmware build: the compiler emits calls to them
// for structure copies and zero-initialisation even in freestanding mode.
// The byte loops go through volatile pointers so the optimiser cannot turn
// them back into calls to memcpy/memset.
#include "platform/types.h"

// NOLINTNEXTLINE(readability-identifier-naming): the name the compiler calls
extern "C" void *memcpy(void *Destination, const void *Source, size_t Length) {
  auto *To = static_cast<volatile UINT8 *>(Destination);
  const auto *From = static_cast<const volatile UINT8 *>(Source);
  for (size_t Index = 0; Index < Length; ++Index) {
    To[Index] = From[Index];
  }
  return Destination;
}

// NOLINTNEXTLINE(readability-identifier-naming): the name the compiler calls
extern "C" void *memset(void *Destination, int Value, size_t Length) {
  auto *To = static_cast<volatile UINT8 *>(Destination);
  for (size_t Index = 0; Index < Length; ++Index) {
    To[Index] = static_cast<UINT8>(Value);
  }
  return Destination;
}
