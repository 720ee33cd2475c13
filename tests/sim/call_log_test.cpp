// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <gtest/gtest.h>

#include "sim/call_log.h"

namespace {

TEST(CallLog, PatternsMatchWholeNamesOrPrefixes) {
  struct Case {
    const char *pattern;
    const char *service;
    bool matches;
  };
  const Case cases[] = {
      {"*", "BS.AllocatePool", true},       {"BS.*", "BS.FreePool", true},          {"BS.*", "HII.SetString", false},
      {"BS.FreePool", "BS.FreePool", true}, {"BS.FreePool", "BS.FreePoolX", false}, {"HII.Set*", "HII.SetString", true},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(sim::CallLog::Matches(c.pattern, c.service), c.matches) << c.pattern << " vs " << c.service;
  }
}

TEST(CallLog, RecordsCallsInOrderWithTheirResults) {
  sim::CallLog log;
  log.FailNth("B", 1, EFI_NOT_FOUND);
  EXPECT_FALSE(log.Enter("A", "first").fail);
  log.Leave(EFI_SUCCESS);
  const sim::Verdict v = log.Enter("B");
  EXPECT_TRUE(v.fail);
  log.Leave(v.status);
  log.Note("REG.Read", "uart+0x18");
  ASSERT_EQ(log.Records().size(), 3u);
  EXPECT_EQ(log.Records()[0].service, "A");
  EXPECT_EQ(log.Records()[1].status, EFI_NOT_FOUND);
  EXPECT_TRUE(log.Records()[1].injected);
  EXPECT_EQ(log.FaultableCalls(), 2u);
  EXPECT_EQ(log.CountOf("*"), 2u);
}

}  // namespace
