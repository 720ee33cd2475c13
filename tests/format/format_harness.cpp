// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tests/format/format_harness.h"

#include <gtest/gtest.h>

#include <cstring>

#include "text/format.h"

namespace format_test {

namespace {
constexpr UINTN kGuard = 32;
constexpr char kFill = '\xA5';
}  // namespace

Output RunFormat(const char *format, const std::vector<UINT64> &args, UINTN size) {
  std::vector<char> bytes(size + 2 * kGuard, kFill);
  char *buffer = bytes.data() + kGuard;
  FORMAT_ARGS list = {args.data(), args.size(), 0};
  Output out;
  out.returned = FormatAsciiList(buffer, size, format, &list);
  out.taken = list.Next;

  for (UINTN i = 0; i < kGuard; ++i) {
    EXPECT_EQ(bytes[i], kFill) << "stored " << kGuard - i << " bytes before the buffer";
    EXPECT_EQ(bytes[kGuard + size + i], kFill) << "stored " << i << " bytes past the buffer";
  }
  if (size == 0) {
    EXPECT_EQ(out.returned, 0u);
    return out;
  }
  EXPECT_LT(out.returned, size);
  if (out.returned >= size) {
    return out;
  }
  EXPECT_EQ(std::strlen(buffer), out.returned) << "return value is not the stored length";
  for (UINTN i = out.returned + 1; i < size; ++i) {
    EXPECT_EQ(buffer[i], kFill) << "stored past the terminator at " << i;
  }
  out.text.assign(buffer, out.returned);
  return out;
}

void CheckFormats(const std::vector<FormatCase> &cases) {
  for (const FormatCase &c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << testing::PrintToString(std::string(c.format)) << " args "
                                    << testing::PrintToString(c.args) << " size " << c.size);
    const Output out = RunFormat(c.format, c.args, c.size);
    EXPECT_EQ(out.text, c.expected);
    EXPECT_EQ(out.returned, c.expected.size());
    EXPECT_EQ(out.taken, c.taken == kEveryArg ? c.args.size() : c.taken);
  }
}

}  // namespace format_test
