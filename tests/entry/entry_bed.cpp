// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tests/entry/entry_bed.h"

#include "boards/board_config.h"
#include "sim/gpio_model.h"
#include "sim/ucs2.h"

namespace entry_test {

std::string Utf8(const std::optional<std::u16string> &text) { return text ? sim::Utf8FromUcs2(*text) : "<unreadable>"; }

Rows ValueRows(const sim::SimulatedBoard &board) {
  Rows rows;
  for (EFI_STRING_ID id : mPageValueSlots) {
    rows[id] = Utf8(board.PageString(id));
  }
  return rows;
}

std::string Row(const sim::SimulatedBoard &board, EFI_STRING_ID id) { return Utf8(board.PageString(id)); }

Rows CleanRun(const sim::BoardFacts &facts) {
  sim::SimulatedBoard board(facts);
  EXPECT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
  EXPECT_EQ(Problems(board), "");
  return ValueRows(board);
}

Rows With(Rows rows, std::initializer_list<EFI_STRING_ID> ids, const std::string &text) {
  for (EFI_STRING_ID id : ids) {
    rows[id] = text;
  }
  return rows;
}

std::unique_ptr<sim::SimulatedBoard> MakeBoard(const Setup &setup) {
  sim::BoardFacts facts;
  if (setup.facts) {
    setup.facts(facts);
  }
  auto board = std::make_unique<sim::SimulatedBoard>(facts);
  if (setup.board) {
    setup.board(*board);
  }
  return board;
}

std::string Problems(const sim::SimulatedBoard &board) {
  std::string text;
  for (const std::string &problem : board.Problems()) {
    text += problem + "\n";
  }
  return text;
}

std::vector<UINTN> GpioReads(sim::SimulatedBoard &board) {
  std::vector<UINTN> reads;
  for (const sim::RegisterAccess &access : board.platform.bus().Log()) {
    for (UINTN base : mGpioControllerBase) {
      if (!access.write && access.address - base < sim::GpioControllerModel::kBlockSize) {
        reads.insert(reads.end(), access.repeat, access.address);
      }
    }
  }
  return reads;
}

std::string DetailField(const std::string &detail, const std::string &key) {
  const std::string marker = key + "=";
  std::size_t at = detail.find(marker);
  while (at != std::string::npos && at != 0 && detail[at - 1] != ' ') {
    at = detail.find(marker, at + 1);
  }
  if (at == std::string::npos) {
    return "";
  }
  const std::size_t begin = at + marker.size();
  return detail.substr(begin, detail.find(' ', begin) - begin);
}

}  // namespace entry_test
