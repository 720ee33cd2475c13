// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page's strings by id, derived from its list (page_lines.h): how many
// there are and their texts, checked to run 1, 2, 3, ... without gaps or
// repeats; the value slots start-up fills; the rows that show firmware
// component versions.
#pragma once

#include "hii/page_lines.h"

constexpr bool IsPageRow(const PAGE_LINE &Line) { return Line.Kind == PAGE_ROW || Line.Kind == PAGE_HIDDEN_ROW; }

// The text Line gives string Id, or null: its own string, and a row's value.
constexpr const CHAR16 *PageLineText(const PAGE_LINE &Line, EFI_STRING_ID Id) {
  if (Line.Text != nullptr && Line.Id == Id) {
    return Line.Text;
  }
  if (IsPageRow(Line) && Line.Id + 1 == Id) {
    return Line.Value.Initial;
  }
  return nullptr;
}

constexpr EFI_STRING_ID CountPageStrings() {
  EFI_STRING_ID count = 0;
  for (const PAGE_LINE &line : mPageLines) {
    count += (line.Text != nullptr) + IsPageRow(line);
  }
  return count;
}

inline constexpr EFI_STRING_ID PAGE_STRING_COUNT = CountPageStrings();

// Each of the ids 1 to the number of strings given by one line: then no
// string is missing, repeated or outside that range.
constexpr bool PageStringIdsRunFromOne() {
  for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
    UINTN lines = 0;
    for (const PAGE_LINE &line : mPageLines) {
      lines += PageLineText(line, id) != nullptr;
    }
    if (lines != 1) {
      return false;
    }
  }
  return true;
}
static_assert(PageStringIdsRunFromOne(), "page string ids run 1, 2, 3, ... without gaps or repeats");

constexpr const CHAR16 *PageStringText(EFI_STRING_ID Id) {
  for (const PAGE_LINE &line : mPageLines) {
    if (const CHAR16 *text = PageLineText(line, Id); text != nullptr) {
      return text;
    }
  }
  return nullptr;
}

// The row value that string Id is; when it is none, a value that is never
// set and shows no component.
constexpr PAGE_VALUE PageValueAt(EFI_STRING_ID Id) {
  for (const PAGE_LINE &line : mPageLines) {
    if (IsPageRow(line) && line.Id + 1 == Id) {
      return line.Value;
    }
  }
  return {};
}

// The value slots ---------------------------------------------------------------

constexpr UINTN CountPageValueSlots() {
  UINTN count = 0;
  for (const PAGE_LINE &line : mPageLines) {
    count += IsPageRow(line) && line.Value.Set;
  }
  return count;
}

inline constexpr UINTN PAGE_VALUE_SLOT_COUNT = CountPageValueSlots();

struct PAGE_VALUE_SLOTS {
  EFI_STRING_ID Ids[PAGE_VALUE_SLOT_COUNT];
};

constexpr PAGE_VALUE_SLOTS ListPageValueSlots() {
  PAGE_VALUE_SLOTS slots = {};
  UINTN count = 0;
  for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
    if (PageValueAt(id).Set) {
      slots.Ids[count++] = id;
    }
  }
  return slots;
}

inline constexpr PAGE_VALUE_SLOTS PAGE_VALUE_SLOT_LIST = ListPageValueSlots();

// The value slots that start-up fills, in id order.
inline constexpr const EFI_STRING_ID (&mPageValueSlots)[PAGE_VALUE_SLOT_COUNT] = PAGE_VALUE_SLOT_LIST.Ids;

// The firmware-version rows --------------------------------------------------------

struct PAGE_COMPONENT_ROW {
  UINT8 Component;
  EFI_STRING_ID Value;
};

struct PAGE_COMPONENT_ROWS {
  PAGE_COMPONENT_ROW Rows[FIRMWARE_COMPONENT_COUNT];
};

// Every row that shows a firmware component, in id order.
constexpr PAGE_COMPONENT_ROWS ListPageComponentRows() {
  PAGE_COMPONENT_ROWS rows = {};
  UINTN count = 0;
  for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
    const UINT32 component = PageValueAt(id).Component;
    if (component != PAGE_NO_COMPONENT) {
      rows.Rows[count++] = {static_cast<UINT8>(component), id};
    }
  }
  return rows;
}

// Each component shown by one row: as many rows as components (a further
// row would overrun the list above), and every component among them.
constexpr bool EachComponentOnce() {
  UINT32 shown = 0;
  for (const PAGE_COMPONENT_ROW &row : ListPageComponentRows().Rows) {
    shown |= 1u << row.Component;
  }
  return shown == (1u << FIRMWARE_COMPONENT_COUNT) - 1;
}
static_assert(EachComponentOnce(), "each firmware component has one row");
