// SPDX-License-Identifier: BSD-2-Clause-Patent
// FormatAscii's argument packing, and directives that find the list used up.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "tests/format/format_harness.h"
#include "text/format.h"

namespace {

std::string Formatted(const std::function<UINTN(CHAR8 *, UINTN)> &call) {
  char buffer[64];
  const UINTN length = call(buffer, sizeof buffer);
  return std::string(buffer, length);
}

TEST(FormatArgs, EachArgumentBecomesOneSlot) {
  struct Case {
    const char *what;
    std::function<UINTN(CHAR8 *, UINTN)> call;
    std::string expected;
  };
  const Case cases[] = {
      {"signed char", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", static_cast<signed char>(-5)); }, "-5"},
      {"short", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", static_cast<short>(-300)); }, "-300"},
      {"int", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", -70000); }, "-70000"},
      {"long", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", -5000000000L); }, "-5000000000"},
      {"INT64", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", INT64{-1}); }, "-1"},
      {"long long", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld %d", -5000000000LL, -2LL); },
       "-5000000000 -2"},
      {"unsigned char", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", UINT8{0xFF}); }, "255"},
      {"unsigned short", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", UINT16{0xFFFF}); }, "65535"},
      {"unsigned", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%ld", 0xFFFFFFFFu); }, "4294967295"},
      {"UINTN", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%lx", ~0ull); }, "FFFFFFFFFFFFFFFF"},
      {"char", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%lx %c", '\xE9', 'A'); }, "E9 A"},
      {"char16_t", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%lx", u'\xFFFF'); }, "FFFF"},
      {"nullptr", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%a", nullptr); }, "<null string>"},
      {"texts", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%a/%s", "x", u"y"); }, "x/y"},
      {"mixed", [](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%d%c%u", -1, u'=', 7u); }, "-1=7"},
      {"scratch", [](CHAR8 *b, UINTN) { return FormatScratch(b, "%040d", 1); }, std::string(37, '0')},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(Formatted(c.call), c.expected) << c.what;
  }
  int local = 0;
  char address[32];
  std::snprintf(address, sizeof address, "%llX", static_cast<unsigned long long>(reinterpret_cast<UINTN>(&local)));
  EXPECT_EQ(Formatted([&](CHAR8 *b, UINTN n) { return FormatAscii(b, n, "%p", &local); }), address);
}

TEST(FormatArgs, DirectivesBeyondTheLastArgumentTakeZero) {
  format_test::CheckFormats({
      {"%d|%x|%a|%s|%g|%t|%r|%c|%*d", {}, "0|0|<null string>|<null string>|<null guid>|<null time>|Success| |0"},
      {"%d %d %d", {1}, "1 0 0"},
  });
  EXPECT_EQ(FormatAsciiList(nullptr, 0, "%d", nullptr), 0u);
  char buffer[8];
  EXPECT_EQ(FormatAsciiList(buffer, sizeof buffer, "%d%a", nullptr), 7u);
  EXPECT_STREQ(buffer, "0<null ");
}

}  // namespace
