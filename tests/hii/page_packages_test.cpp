// SPDX-License-Identifier: BSD-2-Clause-Patent
// The carried arrays against the page's tables, read back by a parser of
// this test's own (nothing here uses the builders that made the bytes).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hii/page_packages.h"
#include "hii/page_strings.h"
#include "tests/hii/hii_bed.h"

namespace {

using hii_test::Bytes;
using hii_test::Le16;
using hii_test::Le32;

struct IfrRecord {
  size_t offset;
  UINT8 opcode;
  size_t length;
  bool scope;
  std::vector<UINT8> bytes;
};

// Splits a form package (header included) into records.
std::vector<IfrRecord> ParseIfr(const std::vector<UINT8> &package) {
  std::vector<IfrRecord> records;
  for (size_t offset = 4; offset + 2 <= package.size();) {
    const size_t length = package[offset + 1] & 0x7F;
    if (length < 2 || offset + length > package.size()) {
      ADD_FAILURE() << "bad record length at " << offset;
      break;
    }
    records.push_back({offset, package[offset], length, (package[offset + 1] & 0x80) != 0,
                       std::vector<UINT8>(package.begin() + offset, package.begin() + offset + length)});
    offset += length;
  }
  return records;
}

struct StringBlock {
  size_t offset;
  size_t size;
  std::u16string text;
};

// Splits a string package (header included) into UCS-2 blocks; `end` gets
// the offset of the end block.
std::vector<StringBlock> ParseStringBlocks(const std::vector<UINT8> &package, size_t *end) {
  std::vector<StringBlock> blocks;
  *end = 0;
  for (size_t offset = Le32(&package[8]); offset < package.size();) {
    if (package[offset] == 0x00) {
      *end = offset;
      break;
    }
    if (package[offset] != 0x14) {
      ADD_FAILURE() << "unexpected block type " << int(package[offset]) << " at " << offset;
      break;
    }
    StringBlock block{offset, 0, {}};
    size_t at = offset + 1;
    for (; at + 1 < package.size() && Le16(&package[at]) != 0; at += 2) {
      block.text.push_back(static_cast<char16_t>(Le16(&package[at])));
    }
    block.size = at + 2 - offset;
    blocks.push_back(block);
    offset = at + 2;
  }
  return blocks;
}

std::vector<UINT8> FormPackage() {
  const std::vector<UINT8> array = Bytes(mPageFormPackage);
  return std::vector<UINT8>(array.begin() + 4, array.end());
}

std::vector<UINT8> StringPackage() {
  const std::vector<UINT8> array = Bytes(mPageStringPackage);
  return std::vector<UINT8>(array.begin() + 4, array.end());
}

std::vector<UINT16> Fields16(const IfrRecord &record, size_t first, size_t count) {
  std::vector<UINT16> fields;
  for (size_t i = 0; i < count; ++i) {
    fields.push_back(Le16(&record.bytes[first + 2 * i]));
  }
  return fields;
}

constexpr UINT8 kFormSet = 0x0E, kDefaultStore = 0x5C, kForm = 0x01, kSubtitle = 0x02, kText = 0x03, kSuppressIf = 0x0A,
                kUint64 = 0x45, kEqual = 0x2F, kEnd = 0x29;

TEST(PagePackageArrays, LengthFieldsAndPackageHeaders) {
  struct Case {
    const char *name;
    std::vector<UINT8> array;
    UINT32 array_length;
    std::vector<UINT8> package_header;
  };
  const Case cases[] = {
      {"form", Bytes(mPageFormPackage), 386, {0x7E, 0x01, 0x00, 0x02}},
      {"string", Bytes(mPageStringPackage), 994, {0xDE, 0x03, 0x00, 0x04}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(c.array.size(), c.array_length);
    EXPECT_EQ(Le32(c.array.data()), c.array_length);
    EXPECT_EQ(std::vector<UINT8>(c.array.begin() + 4, c.array.begin() + 8), c.package_header);
    EXPECT_EQ(Le32(&c.array[4]) & 0xFFFFFF, c.array_length - 4) << "package length equals its size";
  }
}

TEST(PageFormPackage, EveryRecordAtItsOffsetWithItsFields) {
  struct Expected {
    size_t offset;
    UINT8 opcode;
    size_t length;
    bool scope;
    std::vector<UINT64> fields;  // UINT16 fields in order; UINT64 value for constants
  };
  // clang-format off
  const std::vector<Expected> table = {
      {4, kFormSet, 39, 1, {2, 3}}, {43, kDefaultStore, 6, 0, {0, 0}}, {49, kDefaultStore, 6, 0, {0, 1}},
      {55, kForm, 6, 1, {0x2000, 4}}, {61, kSubtitle, 7, 1, {5, 0}}, {68, kEnd, 2, 0, {}},
      {70, kSubtitle, 7, 1, {7, 0}}, {77, kEnd, 2, 0, {}}, {79, kText, 8, 0, {35, 5, 36}},
      {87, kText, 8, 0, {37, 5, 38}}, {95, kText, 8, 0, {8, 5, 9}}, {103, kSuppressIf, 2, 1, {}},
      {105, kUint64, 10, 1, {0}}, {115, kUint64, 10, 0, {0}}, {125, kEqual, 2, 0, {}},
      {127, kEnd, 2, 0, {}}, {129, kText, 8, 0, {12, 5, 13}}, {137, kEnd, 2, 0, {}},
      {139, kText, 8, 0, {10, 5, 11}}, {147, kSuppressIf, 2, 1, {}}, {149, kUint64, 10, 1, {0}},
      {159, kUint64, 10, 0, {0}}, {169, kEqual, 2, 0, {}}, {171, kEnd, 2, 0, {}},
      {173, kText, 8, 0, {14, 5, 15}}, {181, kEnd, 2, 0, {}}, {183, kText, 8, 0, {16, 5, 17}},
      {191, kSubtitle, 7, 1, {5, 0}}, {198, kEnd, 2, 0, {}}, {200, kSubtitle, 7, 1, {18, 0}},
      {207, kEnd, 2, 0, {}}, {209, kText, 8, 0, {19, 5, 20}}, {217, kText, 8, 0, {21, 5, 22}},
      {225, kText, 8, 0, {23, 5, 24}}, {233, kText, 8, 0, {25, 5, 26}}, {241, kText, 8, 0, {27, 5, 28}},
      {249, kText, 8, 0, {29, 5, 30}}, {257, kText, 8, 0, {31, 5, 32}}, {265, kSuppressIf, 2, 1, {}},
      {267, kUint64, 10, 1, {0}}, {277, kUint64, 10, 0, {0}}, {287, kEqual, 2, 0, {}},
      {289, kEnd, 2, 0, {}}, {291, kText, 8, 0, {33, 5, 34}}, {299, kEnd, 2, 0, {}},
      {301, kSubtitle, 7, 1, {5, 0}}, {308, kEnd, 2, 0, {}}, {310, kSubtitle, 7, 1, {39, 0}},
      {317, kEnd, 2, 0, {}}, {319, kText, 8, 0, {40, 5, 41}}, {327, kText, 8, 0, {42, 5, 43}},
      {335, kText, 8, 0, {44, 5, 45}}, {343, kText, 8, 0, {46, 5, 47}}, {351, kSubtitle, 7, 1, {5, 0}},
      {358, kEnd, 2, 0, {}}, {360, kSubtitle, 7, 1, {5, 0}}, {367, kEnd, 2, 0, {}},
      {369, kSubtitle, 7, 1, {6, 0}}, {376, kEnd, 2, 0, {}}, {378, kEnd, 2, 0, {}}, {380, kEnd, 2, 0, {}},
  };
  // clang-format on
  const std::vector<IfrRecord> records = ParseIfr(FormPackage());
  ASSERT_EQ(records.size(), 61u);
  ASSERT_EQ(table.size(), records.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const Expected &want = table[i];
    const IfrRecord &got = records[i];
    SCOPED_TRACE("record " + std::to_string(i + 1) + " at " + std::to_string(want.offset));
    EXPECT_EQ(got.offset, want.offset);
    EXPECT_EQ(got.opcode, want.opcode);
    EXPECT_EQ(got.length, want.length);
    EXPECT_EQ(got.scope, want.scope);
    std::vector<UINT64> fields;
    switch (got.opcode) {
      case kFormSet:
        for (UINT16 f : Fields16(got, 18, 2)) fields.push_back(f);
        break;
      case kDefaultStore:
      case kForm:
        for (UINT16 f : Fields16(got, 2, 2)) fields.push_back(f);
        break;
      case kSubtitle:
        for (UINT16 f : Fields16(got, 2, 2)) fields.push_back(f);
        EXPECT_EQ(got.bytes[6], 0x00) << "subtitle flags";
        break;
      case kText:
        for (UINT16 f : Fields16(got, 2, 3)) fields.push_back(f);
        break;
      case kUint64:
        fields.push_back(Le32(&got.bytes[2]) | (UINT64{Le32(&got.bytes[6])} << 32));
        break;
      default:
        break;
    }
    EXPECT_EQ(fields, want.fields);
  }
}

TEST(PageFormPackage, FormSetCarriesThePageAndPlatformSetupGuids) {
  const std::vector<IfrRecord> records = ParseIfr(FormPackage());
  ASSERT_FALSE(records.empty());
  const std::vector<UINT8> want = {0x0E, 0xA7, 0x35, 0x48, 0xB3, 0xDB, 0x17, 0x1A, 0x04, 0x4F, 0xB0, 0x0F, 0x57,
                                   0xDB, 0xA4, 0xD1, 0x3C, 0x98, 0x02, 0x00, 0x03, 0x00, 0x01, 0x71, 0x99, 0x03,
                                   0x93, 0x45, 0x85, 0x04, 0x4B, 0xB4, 0x5E, 0x32, 0xEB, 0x83, 0x26, 0x04, 0x0E};
  EXPECT_EQ(records[0].bytes, want);
}

TEST(PageFormPackage, ScopesBalanceAndTheLastTwoEndsCloseFormAndFormSet) {
  const std::vector<UINT8> package = FormPackage();
  const std::vector<IfrRecord> records = ParseIfr(package);
  std::vector<UINT8> open;
  std::vector<UINT8> closed_by_last_two;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].opcode == kEnd) {
      ASSERT_FALSE(open.empty()) << "END without scope at " << records[i].offset;
      if (i + 2 >= records.size()) {
        closed_by_last_two.push_back(open.back());
      }
      open.pop_back();
    } else if (records[i].scope) {
      open.push_back(records[i].opcode);
    }
    if (i + 1 < records.size()) {
      EXPECT_FALSE(open.empty()) << "form set closed before record " << i + 2;
    }
  }
  EXPECT_TRUE(open.empty());
  EXPECT_EQ(closed_by_last_two, (std::vector<UINT8>{kForm, kFormSet}));
  EXPECT_EQ(records.back().offset + records.back().length, package.size()) << "no trailing bytes";
}

TEST(PageStringPackage, HeaderFields) {
  const std::vector<UINT8> package = StringPackage();
  ASSERT_EQ(package.size(), 990u);
  EXPECT_EQ(Le32(&package[4]), 52u) << "HdrSize";
  EXPECT_EQ(Le32(&package[8]), 52u) << "StringInfoOffset";
  EXPECT_EQ(std::vector<UINT8>(package.begin() + 12, package.begin() + 44), std::vector<UINT8>(32, 0));
  EXPECT_EQ(Le16(&package[44]), 1u) << "LanguageName";
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(&package[46]), 6), std::string("en-US\0", 6));
}

TEST(PageStringPackage, EveryBlockAtItsOffsetWithItsText) {
  struct Expected {
    size_t offset;
    size_t size;
    std::u16string text;
  };
  const std::vector<Expected> table = {
      {52, 17, u"English"},
      {69, 39, u"System Information"},
      {108, 101, u"Press <Enter> to view current system information."},
      {209, 39, u"System Information"},
      {248, 3, u""},
      {251, 39, u"Press ESC to exit."},
      {290, 43, u"Hardware Information"},
      {333, 17, u"PCB SKU"},
      {350, 5, u" "},
      {355, 25, u"Memory Chip"},
      {380, 5, u" "},
      {385, 31, u"Reserved Field"},
      {416, 3, u""},
      {419, 27, u"PMIC Version"},
      {446, 5, u" "},
      {451, 23, u"PD Version"},
      {474, 5, u" "},
      {479, 43, u"Firmware Information"},
      {522, 23, u"SE Version"},
      {545, 5, u" "},
      {550, 25, u"PBL Version"},
      {575, 5, u" "},
      {580, 25, u"ATF Version"},
      {605, 5, u" "},
      {610, 23, u"PM Version"},
      {633, 5, u" "},
      {638, 25, u"TEE Version"},
      {663, 5, u" "},
      {668, 27, u"UEFI Version"},
      {695, 5, u" "},
      {700, 27, u"STMM Version"},
      {727, 5, u" "},
      {732, 23, u"EC Version"},
      {755, 5, u" "},
      {760, 27, u"Total Memory"},
      {787, 5, u" "},
      {792, 35, u"Memory Frequency"},
      {827, 5, u" "},
      {832, 49, u"Source Code Information"},
      {881, 19, u"edk2-zun"},
      {900, 5, u" "},
      {905, 11, u"edk2"},
      {916, 5, u" "},
      {921, 27, u"edk2-non-osi"},
      {948, 5, u" "},
      {953, 31, u"edk2-platforms"},
      {984, 5, u" "},
  };
  size_t end = 0;
  const std::vector<UINT8> package = StringPackage();
  const std::vector<StringBlock> blocks = ParseStringBlocks(package, &end);
  ASSERT_EQ(blocks.size(), table.size()) << "ids 1 to 47, no more";
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE("string id " + std::to_string(i + 1));
    EXPECT_EQ(blocks[i].offset, table[i].offset);
    EXPECT_EQ(blocks[i].size, table[i].size);
    EXPECT_EQ(blocks[i].text, table[i].text);
  }
  EXPECT_EQ(end, 989u) << "end block";
  EXPECT_EQ(end + 1, package.size()) << "the end block is the last byte";
}

TEST(PageStringPackage, FormReferencesOnlyIdsOneToFortySeven) {
  size_t end = 0;
  const size_t count = ParseStringBlocks(StringPackage(), &end).size();
  for (const IfrRecord &record : ParseIfr(FormPackage())) {
    std::vector<UINT16> ids;
    switch (record.opcode) {
      case kFormSet:
        ids = Fields16(record, 18, 2);
        break;
      case kForm:
        ids = {Le16(&record.bytes[4])};
        break;
      case kSubtitle:
        ids = {Le16(&record.bytes[2])};
        break;  // its help is 0: no string
      case kText:
        ids = Fields16(record, 2, 3);
        break;
      default:
        break;
    }
    for (UINT16 id : ids) {
      EXPECT_GE(id, 1u) << "record at " << record.offset;
      EXPECT_LE(id, count) << "record at " << record.offset;
    }
  }
}

// The named ids against the bytes: each row's label id names the row's
// prompt, its value id the same row's TextTwo, and the label text is the
// row's text; section ids carry their subtitles.
TEST(PageStringIds, NamesMatchTheRowsOfTheForm) {
  struct Row {
    EFI_STRING_ID label;
    EFI_STRING_ID value;
    const char16_t *text;
  };
  const Row rows[] = {
      {STRING_TOTAL_MEMORY_LABEL, STRING_TOTAL_MEMORY_VALUE, u"Total Memory"},
      {STRING_MEMORY_FREQUENCY_LABEL, STRING_MEMORY_FREQUENCY_VALUE, u"Memory Frequency"},
      {STRING_PCB_SKU_LABEL, STRING_PCB_SKU_VALUE, u"PCB SKU"},
      {STRING_RESERVED_FIELD_LABEL, STRING_RESERVED_FIELD_VALUE, u"Reserved Field"},
      {STRING_MEMORY_CHIP_LABEL, STRING_MEMORY_CHIP_VALUE, u"Memory Chip"},
      {STRING_PMIC_VERSION_LABEL, STRING_PMIC_VERSION_VALUE, u"PMIC Version"},
      {STRING_PD_VERSION_LABEL, STRING_PD_VERSION_VALUE, u"PD Version"},
      {STRING_SE_VERSION_LABEL, STRING_SE_VERSION_VALUE, u"SE Version"},
      {STRING_PBL_VERSION_LABEL, STRING_PBL_VERSION_VALUE, u"PBL Version"},
      {STRING_ATF_VERSION_LABEL, STRING_ATF_VERSION_VALUE, u"ATF Version"},
      {STRING_PM_VERSION_LABEL, STRING_PM_VERSION_VALUE, u"PM Version"},
      {STRING_TEE_VERSION_LABEL, STRING_TEE_VERSION_VALUE, u"TEE Version"},
      {STRING_UEFI_VERSION_LABEL, STRING_UEFI_VERSION_VALUE, u"UEFI Version"},
      {STRING_STMM_VERSION_LABEL, STRING_STMM_VERSION_VALUE, u"STMM Version"},
      {STRING_EC_VERSION_LABEL, STRING_EC_VERSION_VALUE, u"EC Version"},
      {STRING_EDK2_ZUN_LABEL, STRING_EDK2_ZUN_VALUE, u"edk2-zun"},
      {STRING_EDK2_LABEL, STRING_EDK2_VALUE, u"edk2"},
      {STRING_EDK2_NON_OSI_LABEL, STRING_EDK2_NON_OSI_VALUE, u"edk2-non-osi"},
      {STRING_EDK2_PLATFORMS_LABEL, STRING_EDK2_PLATFORMS_VALUE, u"edk2-platforms"},
  };
  size_t end = 0;
  const std::vector<StringBlock> strings = ParseStringBlocks(StringPackage(), &end);
  std::map<UINT16, UINT16> value_of_prompt;
  std::set<UINT16> subtitles;
  for (const IfrRecord &record : ParseIfr(FormPackage())) {
    if (record.opcode == kText) {
      value_of_prompt[Le16(&record.bytes[2])] = Le16(&record.bytes[6]);
    } else if (record.opcode == kSubtitle) {
      subtitles.insert(Le16(&record.bytes[2]));
    }
  }
  ASSERT_EQ(value_of_prompt.size(), std::size(rows));
  for (const Row &row : rows) {
    ASSERT_LE(row.label, strings.size());
    EXPECT_EQ(strings[row.label - 1].text, row.text);
    EXPECT_EQ(value_of_prompt[row.label], row.value) << "row with label id " << row.label;
  }
  const std::pair<EFI_STRING_ID, const char16_t *> sections[] = {
      {STRING_HARDWARE_INFORMATION, u"Hardware Information"},
      {STRING_FIRMWARE_INFORMATION, u"Firmware Information"},
      {STRING_SOURCE_CODE_INFORMATION, u"Source Code Information"},
      {STRING_EXIT_HINT, u"Press ESC to exit."},
      {STRING_EMPTY, u""}};
  for (const auto &[id, text] : sections) {
    EXPECT_TRUE(subtitles.count(id)) << id;
    EXPECT_EQ(strings[id - 1].text, text);
  }
}

// The slots start-up fills are the rows' values except the two hidden ones
// nobody sets; before start-up every one of them is a single space.
TEST(PageStringIds, ValueSlotsAreTheRowValuesStartUpFills) {
  size_t end = 0;
  const std::vector<StringBlock> strings = ParseStringBlocks(StringPackage(), &end);
  std::set<EFI_STRING_ID> values;
  for (const IfrRecord &record : ParseIfr(FormPackage())) {
    if (record.opcode == kText) {
      values.insert(Le16(&record.bytes[6]));
    }
  }
  values.erase(STRING_RESERVED_FIELD_VALUE);
  values.erase(STRING_PMIC_VERSION_VALUE);
  const std::set<EFI_STRING_ID> slots(std::begin(mPageValueSlots), std::end(mPageValueSlots));
  EXPECT_EQ(slots, values);
  EXPECT_EQ(slots.size(), PAGE_VALUE_SLOT_COUNT);
  for (EFI_STRING_ID id : slots) {
    EXPECT_EQ(strings[id - 1].text, u" ") << id;
  }
  EXPECT_EQ(strings[STRING_RESERVED_FIELD_VALUE - 1].text, u"");
  EXPECT_EQ(strings[STRING_PMIC_VERSION_VALUE - 1].text, u" ");
  EXPECT_EQ(strings.size(), PAGE_STRING_COUNT);
}

}  // namespace
