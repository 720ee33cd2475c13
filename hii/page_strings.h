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
  EFI_STRING_ID Count = 0;
  for (const PAGE_LINE &Line : mPageLines) {
    Count += (Line.Text != nullptr) + IsPageRow(Line);
  }
  return Count;
}

inline constexpr EFI_STRING_ID PAGE_STRING_COUNT = CountPageStrings();

// Each of the ids 1 to the number of strings given by one line: then no
// string is missing, repeated or outside that range.
constexpr bool PageStringIdsRunFromOne() {
  for (EFI_STRING_ID Id = 1; Id <= PAGE_STRING_COUNT; ++Id) {
    UINTN Lines = 0;
    for (const PAGE_LINE &Line : mPageLines) {
      Lines += PageLineText(Line, Id) != nullptr;
    }
    if (Lines != 1) {
      return false;
    }
  }
  return true;
}
static_assert(PageStringIdsRunFromOne(), "page string ids run 1, 2, 3, ... without gaps or repeats");

constexpr const CHAR16 *PageStringText(EFI_STRING_ID Id) {
  for (const PAGE_LINE &Line : mPageLines) {
    if (const CHAR16 *Text = PageLineText(Line, Id); Text != nullptr) {
      return Text;
    }
  }
  return nullptr;
}

// The row value that string Id is; when it is none, a value that is never
// set and shows no component.
constexpr PAGE_VALUE PageValueAt(EFI_STRING_ID Id) {
  for (const PAGE_LINE &Line : mPageLines) {
    if (IsPageRow(Line) && Line.Id + 1 == Id) {
      return Line.Value;
    }
  }
  return {};
}

// The value slots ---------------------------------------------------------------

constexpr UINTN CountPageValueSlots() {
  UINTN Count = 0;
  for (const PAGE_LINE &Line : mPageLines) {
    Count += IsPageRow(Line) && Line.Value.Set;
  }
  return Count;
}

inline constexpr UINTN PAGE_VALUE_SLOT_COUNT = CountPageValueSlots();

struct PAGE_VALUE_SLOTS {
  EFI_STRING_ID Ids[PAGE_VALUE_SLOT_COUNT];
};

constexpr PAGE_VALUE_SLOTS ListPageValueSlots() {
  PAGE_VALUE_SLOTS Slots = {};
  UINTN Count = 0;
  for (EFI_STRING_ID Id = 1; Id <= PAGE_STRING_COUNT; ++Id) {
    if (PageValueAt(Id).Set) {
      Slots.Ids[Count++] = Id;
    }
  }
  return Slots;
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
  PAGE_COMPONENT_ROWS Rows = {};
  UINTN Count = 0;
  for (EFI_STRING_ID Id = 1; Id <= PAGE_STRING_COUNT; ++Id) {
    const UINT32 Component = PageValueAt(Id).Component;
    if (Component != PAGE_NO_COMPONENT) {
      Rows.Rows[Count++] = {static_cast<UINT8>(Component), Id};
    }
  }
  return Rows;
}

// Each component shown by one row: as many rows as components (a further
// row would overrun the list above), and every component among them.
constexpr bool EachComponentOnce() {
  UINT32 Shown = 0;
  for (const PAGE_COMPONENT_ROW &Row : ListPageComponentRows().Rows) {
    Shown |= 1u << Row.Component;
  }
  return Shown == (1u << FIRMWARE_COMPONENT_COUNT) - 1;
}
static_assert(EachComponentOnce(), "each firmware component has one row");
