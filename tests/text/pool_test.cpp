// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <gtest/gtest.h>

#include "platform/module_globals.h"
#include "sim/platform.h"
#include "text/pool.h"

namespace {

class PoolTest : public testing::Test {
 protected:
  void SetUp() override { gBootServices = platform_.BootServices(); }
  void TearDown() override {
    EXPECT_EQ(platform_.pool().LiveCount(), 0u) << platform_.pool().LeakReport();
    EXPECT_TRUE(platform_.Violations().empty());
    gBootServices = nullptr;
  }
  sim::Platform platform_;
};

TEST_F(PoolTest, AllocateZeroedZeroesTheWholeBootServicesDataBuffer) {
  for (UINTN size : {1ull, 7ull, 8ull, 13ull, 24ull, 1396ull}) {
    auto *buffer = static_cast<UINT8 *>(AllocateZeroed(size));
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(platform_.pool().SizeOf(buffer), size);
    for (UINTN i = 0; i < size; ++i) {
      ASSERT_EQ(buffer[i], 0) << "size " << size << " byte " << i;
    }
    FreeBuffer(buffer);
  }
  for (const sim::CallRecord &call : platform_.calls().Records()) {
    if (call.service == "BS.AllocatePool") {
      EXPECT_EQ(call.detail.rfind("type=4 ", 0), 0u) << call.detail;
    }
  }
}

// An error, whatever the service wrote, or a success or warning that
// brought no buffer back: null, and nothing is zeroed.
TEST_F(PoolTest, AllocateZeroedIsNullWhenNoBufferCameBack) {
  struct Case {
    EFI_STATUS status;
    bool scribble;
  };
  const Case cases[] = {
      {EFI_OUT_OF_RESOURCES, false}, {EFI_OUT_OF_RESOURCES, true}, {EFI_SUCCESS, false}, {EFI_WARN_STALE_DATA, false}};
  for (const Case &c : cases) {
    platform_.calls().ClearFaults();
    platform_.calls().FailNth("BS.AllocatePool", 1, c.status, c.scribble);
    EXPECT_EQ(AllocateZeroed(16), nullptr) << "status " << c.status << " scribble " << c.scribble;
  }
}

TEST_F(PoolTest, FreeBufferReturnsTheBufferAndIgnoresTheStatus) {
  void *buffer = AllocateZeroed(32);
  ASSERT_NE(buffer, nullptr);
  platform_.calls().FailNth("BS.FreePool", 1, EFI_INVALID_PARAMETER);
  FreeBuffer(buffer);
  EXPECT_EQ(platform_.calls().CountOf("BS.FreePool"), 1u);
}

}  // namespace
