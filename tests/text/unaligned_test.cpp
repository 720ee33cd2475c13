// SPDX-License-Identifier: BSD-2-Clause-Patent
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "platform/guids.h"
#include "text/unaligned.h"

namespace {

TEST(ReadLe, ReadsLittleEndianAtEveryAlignment) {
  alignas(16) std::array<UINT8, 32> bytes{};
  for (size_t offset = 0; offset < 16; ++offset) {
    bytes.fill(0xEE);
    for (UINT8 k = 0; k < 8; ++k) {
      bytes[offset + k] = static_cast<UINT8>(k + 1);  // 01 02 03 ... 08
    }
    EXPECT_EQ(ReadLe16(bytes.data() + offset), 0x0201);
    EXPECT_EQ(ReadLe32(bytes.data() + offset), 0x04030201u);
    EXPECT_EQ(ReadLe64(bytes.data() + offset), 0x0807060504030201ull);
  }
  const UINT8 high[] = {0xFF, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8};
  EXPECT_EQ(ReadLe64(high), 0xF8F9FAFBFCFDFEFFull);
}

TEST(WriteLe64, WritesExactlyEightBytesLeastSignificantFirst) {
  alignas(16) std::array<UINT8, 32> bytes{};
  for (size_t offset = 0; offset < 16; ++offset) {
    bytes.fill(0xEE);
    EXPECT_EQ(WriteLe64(bytes.data() + offset, 0x1122334455667788ull), bytes.data() + offset);
    for (size_t i = 0; i < bytes.size(); ++i) {
      const UINT8 want = (i >= offset && i < offset + 8) ? static_cast<UINT8>(0x88 - 0x11 * (i - offset)) : 0xEE;
      ASSERT_EQ(bytes[i], want) << "offset " << offset << " byte " << i;
    }
  }
}

TEST(CompareGuidTo, EqualOnlyWhenAllSixteenBytesAgreeAtAnyAlignment) {
  alignas(16) std::array<UINT8, 48> a{};
  alignas(16) std::array<UINT8, 48> b{};
  for (size_t offset_a = 0; offset_a < 8; ++offset_a) {
    for (size_t offset_b = 0; offset_b < 8; ++offset_b) {
      std::memcpy(a.data() + offset_a, &I2C_BUS_VENDOR_GUID, 16);
      std::memcpy(b.data() + offset_b, &I2C_BUS_VENDOR_GUID, 16);
      EXPECT_TRUE(CompareGuidTo(a.data() + offset_a, b.data() + offset_b));
      for (size_t byte = 0; byte < 16; ++byte) {
        b[offset_b + byte] ^= 0x01;
        EXPECT_FALSE(CompareGuidTo(a.data() + offset_a, b.data() + offset_b)) << "byte " << byte << " differs";
        b[offset_b + byte] ^= 0x01;
      }
    }
  }
}

TEST(WriteGuid, StoresAllSixteenBytesAndNothingElseAtAnyAlignment) {
  alignas(16) std::array<UINT8, 40> bytes{};
  for (size_t offset = 0; offset < 16; ++offset) {
    bytes.fill(0xEE);
    EXPECT_EQ(WriteGuid(bytes.data() + offset, &PAGE_GUID), bytes.data() + offset);
    EXPECT_EQ(std::memcmp(bytes.data() + offset, &PAGE_GUID, 16), 0);
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (i < offset || i >= offset + 16) {
        ASSERT_EQ(bytes[i], 0xEE);
      }
    }
  }
  const UINT8 expected[] = {0x35, 0x48, 0xB3, 0xDB, 0x17, 0x1A, 0x04, 0x4F,
                            0xB0, 0x0F, 0x57, 0xDB, 0xA4, 0xD1, 0x3C, 0x98};
  EXPECT_EQ(std::memcmp(bytes.data() + 15, expected, 16), 0);
}

}  // namespace
