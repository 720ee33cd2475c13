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

TEST_F(PoolTest, AllocateZeroedIsNullOnAnErrorWhateverTheServiceWrote) {
  for (bool scribble : {false, true}) {
    platform_.calls().ClearFaults();
    platform_.calls().FailNth("BS.AllocatePool", 1, EFI_OUT_OF_RESOURCES, scribble);
    EXPECT_EQ(AllocateZeroed(16), nullptr) << "scribble=" << scribble;
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
