// SPDX-License-Identifier: BSD-2-Clause-Patent
// Fill and copy checked exhaustively over small offsets, lengths and
// overlaps against a plain byte-wise reference.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "text/memory_ops.h"

namespace {

constexpr size_t kArena = 96;
constexpr size_t kMaxOffset = 17;
constexpr size_t kMaxLength = 41;

void Pattern(UINT8 *bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<UINT8>(i * 7 + 1);
  }
}

TEST(CopyBytes, MatchesMemmoveForEveryOffsetPairAndLengthWithinOneArena) {
  alignas(16) std::array<UINT8, kArena> actual;
  std::array<UINT8, kArena> expected;
  for (size_t from = 0; from < kMaxOffset; ++from) {
    for (size_t to = 0; to < kMaxOffset; ++to) {
      for (size_t length = 0; length < kMaxLength; ++length) {
        Pattern(actual.data(), kArena);
        Pattern(expected.data(), kArena);
        std::memmove(expected.data() + to, expected.data() + from, length);
        void *result = CopyBytes(actual.data() + to, actual.data() + from, length);
        ASSERT_EQ(result, actual.data() + to);
        ASSERT_EQ(actual, expected) << "from=" << from << " to=" << to << " length=" << length;
      }
    }
  }
}

TEST(CopyBytes, CopiesBetweenSeparateBuffersAtEveryAlignment) {
  alignas(16) std::array<UINT8, kArena> source;
  alignas(16) std::array<UINT8, kArena> destination;
  for (size_t from = 0; from < kMaxOffset; ++from) {
    for (size_t to = 0; to < kMaxOffset; ++to) {
      for (size_t length = 0; length < kMaxLength; ++length) {
        Pattern(source.data(), kArena);
        destination.fill(0xEE);
        CopyBytes(destination.data() + to, source.data() + from, length);
        for (size_t i = 0; i < kArena; ++i) {
          const bool inside = i >= to && i < to + length;
          ASSERT_EQ(destination[i], inside ? source[from + i - to] : 0xEE)
              << "from=" << from << " to=" << to << " length=" << length << " byte " << i;
        }
      }
    }
  }
}

TEST(CopyBytes, TouchesNothingForZeroLengthOrSameAddress) {
  // Pointers to memory that must not be read or written: any access would
  // fault under AddressSanitizer.
  auto *block = new UINT8[8];
  delete[] block;
  EXPECT_EQ(CopyBytes(block, block + 1, 0), block);
  EXPECT_EQ(CopyBytes(block, block, 8), block);
}

TEST(ZeroFill, ZeroesExactlyTheRangeAtEveryAlignmentAndLength) {
  alignas(16) std::array<UINT8, kArena> bytes;
  for (size_t offset = 0; offset < kMaxOffset; ++offset) {
    for (size_t length = 0; length < kMaxLength; ++length) {
      bytes.fill(0xCC);
      ASSERT_EQ(ZeroFill(bytes.data() + offset, length), bytes.data() + offset);
      for (size_t i = 0; i < kArena; ++i) {
        const bool inside = i >= offset && i < offset + length;
        ASSERT_EQ(bytes[i], inside ? 0 : 0xCC) << "offset=" << offset << " length=" << length << " byte " << i;
      }
    }
  }
}

TEST(FillBytes, StoresTheLowByteOfTheValueOverExactlyTheRange) {
  struct Case {
    UINTN value;
    UINT8 stored;
  };
  const Case cases[] = {{0, 0}, {0x5A, 0x5A}, {0x1FF, 0xFF}, {0xABCDEF01, 0x01}};
  std::array<UINT8, 40> bytes;
  for (const Case &c : cases) {
    for (size_t offset = 0; offset < 8; ++offset) {
      for (size_t length = 0; length < 24; ++length) {
        bytes.fill(0x11);
        ASSERT_EQ(FillBytes(bytes.data() + offset, c.value, length), bytes.data() + offset);
        for (size_t i = 0; i < bytes.size(); ++i) {
          const bool inside = i >= offset && i < offset + length;
          ASSERT_EQ(bytes[i], inside ? c.stored : 0x11);
        }
      }
    }
  }
}

}  // namespace
