// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page a fault-free start-up leaves in the HII database, as the setup
// browser reads and draws it.
#include <gtest/gtest.h>

#include <sstream>

#include "boards/board_config.h"
#include "driver/driver_entry.h"
#include "platform/guids.h"
#include "sim/page_render.h"
#include "sim/ucs2.h"
#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

sim::BoardFacts KnownFacts() {
  sim::BoardFacts facts;
  facts.memory_mib = 16384;
  facts.memory_clock_mhz = 3200;
  facts.strap_value = 10;
  facts.pd = {2, 1, 0, 3, 4, 12};
  facts.firmware_texts = {u"SE 1.4.2",   u"PM 1.1.0", u"PBL 2.0.1",  u"ATF v2.9.0",
                          u"TEE 3.19.0", u"EC 0.9.7", u"STMM 1.0.3", u"UEFI 2024.03"};
  return facts;
}

TEST(Page, FaultFreeStartUpFillsEveryValueRow) {
  const sim::BoardFacts facts = KnownFacts();
  sim::SimulatedBoard board(facts);
  ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);

  Rows expected = {
      {STRING_TOTAL_MEMORY_VALUE, "16 GiB"},
      {STRING_MEMORY_FREQUENCY_VALUE, "6400 MT/s"},
      {STRING_PCB_SKU_VALUE, "Vemko Tarsa Q4M"},
      {STRING_MEMORY_CHIP_VALUE, "16 GiB (Hynix) | (Raw Value: 10)"},
      {STRING_PD_VERSION_VALUE, "Boot: v2.1.0\r\nApp: v3.4.12"},
  };
  for (const ComponentRow &c : kComponentRows) {
    expected[c.row] = sim::Utf8FromUcs2(facts.firmware_texts[c.component]);
  }
  const CHAR16 *sources[] = {mSourceIdEdk2Zun, mSourceIdEdk2, mSourceIdEdk2NonOsi, mSourceIdEdk2Platforms};
  for (std::size_t i = 0; i < std::size(kSourceRows); ++i) {
    expected[kSourceRows[i]] = sim::Utf8FromUcs2(sim::Ucs2FromPointer(sources[i]));
  }
  EXPECT_EQ(ValueRows(board), expected);
  EXPECT_EQ(Row(board, STRING_RESERVED_FIELD_VALUE), "");
  EXPECT_EQ(Row(board, STRING_PMIC_VERSION_VALUE), kBlank);
  EXPECT_EQ(Problems(board), "");
}

TEST(Page, RegisteredOnTheHandleThatCarriesTheDevicePath) {
  sim::SimulatedBoard board;
  ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
  ASSERT_NE(board.PageHandle(), nullptr);
  EXPECT_EQ(board.hii.Handles().size(), 1u);
  void *path = nullptr;
  EXPECT_EQ(board.platform.handles().HandleProtocol(board.hii.DriverHandleOf(board.PageHandle()),
                                                    &EFI_DEVICE_PATH_PROTOCOL_GUID, &path),
            EFI_SUCCESS);
  EXPECT_EQ(path, &mPageDevicePath);
}

TEST(Page, PdVersionIsDrawnAsTwoLinesInTheValueColumn) {
  sim::SimulatedBoard board(KnownFacts());
  ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
  const sim::PageBuild page = board.Page();
  ASSERT_TRUE(page.page) << page.error;
  std::vector<std::string> pd_value;
  for (const sim::PageRow &row : page.page->rows) {
    if (row.label == "PD Version") {
      pd_value = row.value;
    }
  }
  EXPECT_EQ(pd_value, (std::vector<std::string>{"Boot: v2.1.0", "App: v3.4.12"}));

  std::istringstream screen(sim::RenderPageText(*page.page));
  std::vector<std::string> lines;
  for (std::string line; std::getline(screen, line);) {
    lines.push_back(line);
  }
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::size_t boot = lines[i].find("Boot: v2.1.0");
    if (boot != std::string::npos) {
      EXPECT_NE(lines[i].find("PD Version"), std::string::npos) << lines[i];
      EXPECT_EQ(lines[i + 1].find("App: v3.4.12"), boot) << lines[i + 1];
      return;
    }
  }
  ADD_FAILURE() << "no line shows the boot version";
}

}  // namespace
}  // namespace entry_test
