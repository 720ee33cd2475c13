// SPDX-License-Identifier: BSD-2-Clause-Patent
// Pool use of a whole entry: the package list, one language buffer per page
// string update and one I2C request packet per PD transfer, each released
// before the next is taken, so the peak is the largest of them alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "hii/page_packages.h"
#include "platform/hii.h"
#include "platform/i2c_master.h"
#include "sim/board.h"

namespace {

// The package list: its header, each package array's package without the
// array's 4-byte length field, then the end package's header.
constexpr UINTN kPackageListBytes = sizeof(EFI_HII_PACKAGE_LIST_HEADER) + (PAGE_STRING_ARRAY_LENGTH - 4) +
                                    (PAGE_FORM_ARRAY_LENGTH - 4) + sizeof(EFI_HII_PACKAGE_HEADER);

// The ';'-separated language list the page's package list answers with,
// and its terminator.
UINTN LanguageBufferBytes(const sim::BoardFacts &facts) {
  std::vector<std::string> all = facts.languages_before;
  all.push_back("en-US");
  all.insert(all.end(), facts.languages_after.begin(), facts.languages_after.end());
  std::string list;
  for (const std::string &language : all) {
    list += (list.empty() ? "" : ";") + language;
  }
  return list.size() + 1;
}

// Sizes the driver asked AllocatePool for, by size.
std::map<UINTN, int> AllocationsBySize(sim::SimulatedBoard &board) {
  std::map<UINTN, int> sizes;
  for (const sim::CallRecord &record : board.platform.calls().Records()) {
    if (record.service == "BS.AllocatePool") {
      const std::size_t at = record.detail.find("size=");
      ++sizes[std::stoull(record.detail.substr(at + 5))];
    }
  }
  return sizes;
}

std::size_t CountOf(sim::SimulatedBoard &board, const std::string &service) {
  return board.platform.calls().CountOf(service);
}

TEST(PoolBudget, PeakIsThePackageListAloneAndEverythingIsReleased) {
  struct Case {
    const char *name;
    void (*facts)(sim::BoardFacts &);
    int one_transfer_packets;  // status select and status read
    int two_transfer_packets;  // version request and reply
  };
  const Case cases[] = {
      {"default board", [](sim::BoardFacts &) {}, 2, 1},
      {"languages around en-US",
       [](sim::BoardFacts &f) {
         f.languages_before = {"fr-FR", "x-UEFI-ns"};
         f.languages_after = {"de-DE"};
       },
       2, 1},
      // The status select goes out and is not answered.
      {"no PD controller on the bus", [](sim::BoardFacts &f) { f.pd_present = false; }, 1, 0},
      {"no I2C bus", [](sim::BoardFacts &f) { f.i2c_bus = false; }, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    sim::BoardFacts facts;
    c.facts(facts);
    sim::SimulatedBoard board(facts);
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);

    // One language buffer per update that got past the size query.
    std::map<UINTN, int> expected;
    ++expected[kPackageListBytes];
    expected[LanguageBufferBytes(facts)] += static_cast<int>(CountOf(board, "HII.GetLanguages") / 2);
    for (auto [operations, packets] : {std::pair{1, c.one_transfer_packets}, std::pair{2, c.two_transfer_packets}}) {
      if (packets != 0) {
        expected[I2cRequestPacketSize(operations)] += packets;
      }
    }
    const std::map<UINTN, int> taken = AllocationsBySize(board);
    EXPECT_EQ(taken, expected);
    std::printf("pool (%s): peak %zu bytes; allocations", c.name, board.platform.pool().PeakBytes());
    for (auto [size, count] : taken) {
      std::printf(" %zu x %llu bytes", static_cast<std::size_t>(count), static_cast<unsigned long long>(size));
    }
    std::printf("\n");

    // Never two at a time: the peak is the largest single allocation (the
    // firmware's handle buffer of the I2C search included), the package list.
    const UINTN largest = std::max({kPackageListBytes, LanguageBufferBytes(facts), I2cRequestPacketSize(2)});
    EXPECT_EQ(largest, kPackageListBytes);
    EXPECT_EQ(board.platform.pool().PeakBytes(), largest);
    EXPECT_EQ(board.platform.pool().LiveBytes(), 0u);
    EXPECT_EQ(board.platform.pool().LiveCount(), 0u);
    EXPECT_TRUE(board.platform.pool().Violations().empty());
  }
}

}  // namespace
