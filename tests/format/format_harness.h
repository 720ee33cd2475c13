// Runs the format engine into a buffer between guard areas and checks what
// must hold after every call: nothing outside the buffer changes, nothing
// after the terminator is touched, the return value is the length of the
// stored text, and a size of 0 stores nothing at all.
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

}  // namespace format_test
