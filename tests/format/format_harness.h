// SPDX-License-Identifier: BSD-2-Clause-Patent
// Runs the format engine into a buffer between guard areas and checks what
// must hold after every call: nothing outside the buffer changes, nothing
// after the terminator is touched, the return value is the length of the
// stored text, and a size of 0 stores nothing at all. Tables of FormatCase
// say what each call must store.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace format_test {

struct Output {
  UINTN returned = 0;
  std::string text;  // the `returned` characters before the terminator
  UINTN taken = 0;   // argument slots the call took
};

inline constexpr UINTN kRoomy = 512;

// Formats with the slots `args` into a `size`-byte buffer. Violations of the
// invariants above are reported as test failures.
Output RunFormat(const char *format, const std::vector<UINT64> &args = {}, UINTN size = kRoomy);

// The slot of a pointer argument.
inline UINT64 Ptr(const void *pointer) { return reinterpret_cast<UINTN>(pointer); }

// A case's `taken` when the call takes every slot it is given.
inline constexpr UINTN kEveryArg = ~static_cast<UINTN>(0);

// One call and what it must give: the text stored in a `size`-byte buffer
// and the number of slots taken.
struct FormatCase {
  const char *format;
  std::vector<UINT64> args;
  std::string expected;
  UINTN size = kRoomy;
  UINTN taken = kEveryArg;
};

// Runs every case and checks its text, its length and the slots it took.
void CheckFormats(const std::vector<FormatCase> &cases);

}  // namespace format_test
