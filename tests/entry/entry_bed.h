// SPDX-License-Identifier: BSD-2-Clause-Patent
// Shared ground for the whole-driver tests: the page's value rows as the
// driver must fill them, and read-back of a simulated board after a run.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hii/page_strings.h"
#include "sim/board.h"

namespace entry_test {

// A row's text before start-up sets it.
inline const std::string kBlank = " ";

// Hardware rows in the order they are set.
inline constexpr EFI_STRING_ID kHardwareRows[] = {STRING_TOTAL_MEMORY_VALUE, STRING_MEMORY_FREQUENCY_VALUE,
                                                  STRING_PCB_SKU_VALUE, STRING_PD_VERSION_VALUE,
                                                  STRING_MEMORY_CHIP_VALUE};

// Firmware components in the order they are asked for, with their rows.
struct ComponentRow {
  UINT32 component;
  EFI_STRING_ID row;
};
inline constexpr ComponentRow kComponentRows[] = {
    {0, STRING_SE_VERSION_VALUE},   {2, STRING_PBL_VERSION_VALUE}, {3, STRING_ATF_VERSION_VALUE},
    {1, STRING_PM_VERSION_VALUE},   {4, STRING_TEE_VERSION_VALUE}, {7, STRING_UEFI_VERSION_VALUE},
    {6, STRING_STMM_VERSION_VALUE}, {5, STRING_EC_VERSION_VALUE},
};

inline constexpr EFI_STRING_ID kSourceRows[] = {STRING_EDK2_ZUN_VALUE, STRING_EDK2_VALUE, STRING_EDK2_NON_OSI_VALUE,
                                                STRING_EDK2_PLATFORMS_VALUE};

// Value row -> its text in UTF-8 ("<unreadable>" when the page has none).
using Rows = std::map<EFI_STRING_ID, std::string>;

std::string Utf8(const std::optional<std::u16string> &text);
Rows ValueRows(const sim::SimulatedBoard &board);
std::string Row(const sim::SimulatedBoard &board, EFI_STRING_ID id);

// The rows of a fault-free run on a board with `facts`.
Rows CleanRun(const sim::BoardFacts &facts = {});

// `rows` with the given rows replaced by `text`.
Rows With(Rows rows, std::initializer_list<EFI_STRING_ID> ids, const std::string &text);

// How a case changes the board: its facts before the board is built, and
// the board itself (published extras, fault plan) before the entry runs.
struct Setup {
  std::function<void(sim::BoardFacts &)> facts;
  std::function<void(sim::SimulatedBoard &)> board;
};
std::unique_ptr<sim::SimulatedBoard> MakeBoard(const Setup &setup);

// Board problems (leaked pool, bad frees, bad requests) as one text.
std::string Problems(const sim::SimulatedBoard &board);

// Every register read outside the UART, in order, repeats unfolded.
std::vector<UINTN> GpioReads(sim::SimulatedBoard &board);

// The value of `key=` in a trace detail ("id=36 lang=en-US" -> "36").
std::string DetailField(const std::string &detail, const std::string &key);

}  // namespace entry_test
