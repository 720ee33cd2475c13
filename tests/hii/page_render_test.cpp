// SPDX-License-Identifier: BSD-2-Clause-Patent
// The page as a setup browser draws it from the simulated database.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "hii/page_string.h"
#include "hii/page_strings.h"
#include "sim/page_render.h"
#include "tests/hii/hii_bed.h"

namespace {

using hii_test::HiiBed;
using sim::RowKind;

struct ShownRow {
  RowKind kind;
  std::string label;
};

// Top to bottom, as the page is meant to look.
const std::vector<ShownRow> kPageShape = {
    {RowKind::kBlank, ""},
    {RowKind::kSubtitle, "Hardware Information"},
    {RowKind::kText, "Total Memory"},
    {RowKind::kText, "Memory Frequency"},
    {RowKind::kText, "PCB SKU"},
    {RowKind::kText, "Memory Chip"},
    {RowKind::kText, "PD Version"},
    {RowKind::kBlank, ""},
    {RowKind::kSubtitle, "Firmware Information"},
    {RowKind::kText, "SE Version"},
    {RowKind::kText, "PBL Version"},
    {RowKind::kText, "ATF Version"},
    {RowKind::kText, "PM Version"},
    {RowKind::kText, "TEE Version"},
    {RowKind::kText, "UEFI Version"},
    {RowKind::kText, "STMM Version"},
    {RowKind::kBlank, ""},
    {RowKind::kSubtitle, "Source Code Information"},
    {RowKind::kText, "edk2-zun"},
    {RowKind::kText, "edk2"},
    {RowKind::kText, "edk2-non-osi"},
    {RowKind::kText, "edk2-platforms"},
    {RowKind::kBlank, ""},
    {RowKind::kBlank, ""},
    {RowKind::kSubtitle, "Press ESC to exit."},
};

const char *const kHiddenLabels[] = {"Reserved Field", "PMIC Version", "EC Version"};

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

size_t Columns(const std::string &utf8) {
  size_t columns = 0;
  for (unsigned char c : utf8) {
    columns += (c & 0xC0) != 0x80;
  }
  return columns;
}

sim::PageModel DrawPage(HiiBed &bed, EFI_HII_HANDLE handle) {
  const sim::PageBuild build = sim::BuildPageModel(bed.database, handle);
  EXPECT_TRUE(build.page.has_value()) << build.error;
  return build.page.value_or(sim::PageModel{});
}

TEST(PageRenderer, RegisteredPageHasItsShapeWithInitialValues) {
  HiiBed bed;
  const sim::PageModel page = DrawPage(bed, bed.RegisterPage());
  EXPECT_EQ(page.title, "System Information");
  EXPECT_EQ(page.form_set_title, "System Information");
  EXPECT_EQ(page.form_id, 0x2000);
  ASSERT_EQ(page.rows.size(), kPageShape.size());
  for (size_t i = 0; i < kPageShape.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(page.rows[i].kind, kPageShape[i].kind);
    EXPECT_EQ(page.rows[i].label, kPageShape[i].label);
    const std::vector<std::string> value =
        kPageShape[i].kind == RowKind::kText ? std::vector<std::string>{" "} : std::vector<std::string>{};
    EXPECT_EQ(page.rows[i].value, value) << "initial single space";
  }
}

// The three suppressed rows stay hidden whatever their strings hold, in
// the model, the text screen and the JSON.
TEST(PageRenderer, SuppressedRowsNeverShow) {
  HiiBed bed;
  EFI_HII_HANDLE handle = bed.RegisterPage();
  for (EFI_STRING_ID id : {STRING_RESERVED_FIELD_VALUE, STRING_PMIC_VERSION_VALUE, STRING_EC_VERSION_VALUE}) {
    SetPageString(handle, id, u"SHOWN BY MISTAKE");
  }
  const sim::PageModel page = DrawPage(bed, handle);
  EXPECT_EQ(page.rows.size(), kPageShape.size());
  const std::string text = sim::RenderPageText(page);
  const std::string json = sim::RenderPageJson(page);
  for (const std::string &output : {text, json}) {
    EXPECT_EQ(output.find("SHOWN BY MISTAKE"), std::string::npos);
    for (const char *label : kHiddenLabels) {
      EXPECT_EQ(output.find(label), std::string::npos) << label;
    }
  }
}

// A value holding CR LF shows as two lines: beside the label, then under
// it in the value column.
TEST(PageRenderer, CrLfValueShowsAsTwoLines) {
  HiiBed bed;
  EFI_HII_HANDLE handle = bed.RegisterPage();
  SetPageString(handle, STRING_PD_VERSION_VALUE, u"Boot 1.2\r\nApp 3.4");
  const sim::PageModel page = DrawPage(bed, handle);
  ASSERT_EQ(page.rows.size(), kPageShape.size());
  EXPECT_EQ(page.rows[6].label, "PD Version");
  EXPECT_EQ(page.rows[6].value, (std::vector<std::string>{"Boot 1.2", "App 3.4"}));

  const std::vector<std::string> lines = Lines(sim::RenderPageText(page));
  size_t at = 0;
  while (at < lines.size() && lines[at].find("PD Version") == std::string::npos) {
    ++at;
  }
  ASSERT_LT(at + 1, lines.size());
  const size_t value_column = 2 + sim::kLabelColumnWidth + 2;
  EXPECT_EQ(lines[at].substr(value_column, 8), "Boot 1.2");
  EXPECT_EQ(lines[at + 1].substr(0, value_column), "|" + std::string(value_column - 1, ' '));
  EXPECT_EQ(lines[at + 1].substr(value_column, 7), "App 3.4");
  EXPECT_EQ(nlohmann::json::parse(sim::RenderPageJson(page))["rows"][6]["value"],
            (std::vector<std::string>{"Boot 1.2", "App 3.4"}));
}

TEST(PageRenderer, TextScreenIsABoxOfFixedWidth) {
  HiiBed bed;
  EFI_HII_HANDLE handle = bed.RegisterPage();
  const std::u16string long_value = u"caf\u00E9 " + std::u16string(70, u'x');  // wraps
  SetPageString(handle, STRING_EDK2_PLATFORMS_VALUE, long_value.c_str());
  const sim::PageModel page = DrawPage(bed, handle);
  const std::vector<std::string> lines = Lines(sim::RenderPageText(page));
  const std::string rule = "+" + std::string(sim::kScreenWidth - 2, '-') + "+";
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], rule);
  EXPECT_NE(lines[1].find("System Information"), std::string::npos);
  EXPECT_EQ(lines[2], rule);
  EXPECT_EQ(lines.back(), rule);
  EXPECT_EQ(lines.size(), 3 + page.rows.size() + 1 + 1) << "one value wraps onto a second line";
  for (const std::string &line : lines) {
    EXPECT_EQ(Columns(line), sim::kScreenWidth) << line;
  }
}

TEST(PageRenderer, JsonListsTheRowsInOrder) {
  sim::PageModel page;
  page.title = "T \"quoted\"";
  page.form_set_title = "S";
  page.form_id = 0x2000;
  page.rows = {{RowKind::kBlank, "", {}}, {RowKind::kSubtitle, "Sub", {}}, {RowKind::kText, "L\\", {"a", "b\tc"}}};
  EXPECT_EQ(sim::RenderPageJson(page),
            "{\n"
            "  \"title\": \"T \\\"quoted\\\"\",\n"
            "  \"form_set_title\": \"S\",\n"
            "  \"form_id\": 8192,\n"
            "  \"rows\": [\n"
            "    {\n"
            "      \"kind\": \"blank\",\n"
            "      \"label\": \"\",\n"
            "      \"value\": []\n"
            "    },\n"
            "    {\n"
            "      \"kind\": \"subtitle\",\n"
            "      \"label\": \"Sub\",\n"
            "      \"value\": []\n"
            "    },\n"
            "    {\n"
            "      \"kind\": \"text\",\n"
            "      \"label\": \"L\\\\\",\n"
            "      \"value\": [\n"
            "        \"a\",\n"
            "        \"b\\tc\"\n"
            "      ]\n"
            "    }\n"
            "  ]\n"
            "}\n");
}

// A page text is whatever the platform handed the driver. Units UCS-2 does
// not have (surrogates) and bytes that are not UTF-8 both show as U+FFFD,
// and the JSON always parses.
TEST(PageRenderer, JsonStaysValidForTextThatIsNotUnicode) {
  const std::string r = "\uFFFD";
  struct WideCase {
    std::u16string units;  // as set in the SE Version row
    std::string shown;
  };
  const WideCase wide_cases[] = {
      {u"caf\u00E9 \u20AC", "caf\u00E9 \u20AC"},
      {{0xD800}, r},
      {{u'1', 0xDC00, u'2'}, "1" + r + "2"},
      {{0xDBFF, 0xDFFF}, r + r},
  };
  for (const WideCase &c : wide_cases) {
    HiiBed bed;
    EFI_HII_HANDLE handle = bed.RegisterPage();
    SetPageString(handle, STRING_SE_VERSION_VALUE, c.units.c_str());
    const sim::PageModel page = DrawPage(bed, handle);
    ASSERT_EQ(page.rows[9].label, "SE Version");
    EXPECT_EQ(nlohmann::json::parse(sim::RenderPageJson(page))["rows"][9]["value"][0], c.shown) << c.shown;
  }
  struct ByteCase {
    std::string bytes;  // an 8-bit text that reached the page as it was
    std::string shown;
  };
  const ByteCase byte_cases[] = {
      {"1.4\xFF", "1.4" + r},
      {"1.\xC3", "1." + r},         // truncated sequence
      {"\xC0\xAF", r + r},          // overlong '/'
      {"\xED\xA0\x80", r + r + r},  // an encoded surrogate
  };
  for (const ByteCase &c : byte_cases) {
    sim::PageModel page;
    page.title = c.bytes;
    page.rows = {{RowKind::kText, c.bytes, {c.bytes}}};
    const nlohmann::json json = nlohmann::json::parse(sim::RenderPageJson(page));
    EXPECT_EQ(json["title"], c.shown) << c.shown;
    EXPECT_EQ(json["rows"][0]["value"][0], c.shown) << c.shown;
  }
}

// Hand-made forms for the interpreter: a record is its opcode, its length
// with the scope flag, and its fields.
using Bytes = std::vector<UINT8>;

Bytes Rec(UINT8 opcode, bool scope, Bytes fields = {}) {
  Bytes out = {opcode, static_cast<UINT8>((2 + fields.size()) | (scope ? 0x80 : 0))};
  out.insert(out.end(), fields.begin(), fields.end());
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes &part : parts) {
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

const Bytes kEnd = Rec(0x29, false);
const Bytes kFormSet = Rec(0x0E, true, Bytes(21, 0));  // GUID, title 0, help 0, no class GUIDs
const Bytes kForm = Rec(0x01, true, {0x00, 0x20, 0x01, 0x00});
Bytes Text(UINT8 prompt, UINT8 value) { return Rec(0x03, false, {prompt, 0, 0, 0, value, 0}); }
Bytes U64(UINT8 value, bool scope = false) { return Rec(0x45, scope, {value, 0, 0, 0, 0, 0, 0, 0}); }
const Bytes kTrue = Rec(0x46, false), kFalse = Rec(0x47, false), kNot = Rec(0x17, false), kEqual = Rec(0x2F, false);

// A form package holding exactly `records`.
Bytes RawPackage(const Bytes &records) {
  const UINT32 length = static_cast<UINT32>(4 + records.size());
  return Cat({{static_cast<UINT8>(length), static_cast<UINT8>(length >> 8), 0, 0x02}, records});
}

// A form package: form set, form, the given body, and (when `close`) the
// ENDs of form and form set.
Bytes FormPackage(const Bytes &body, bool close = true) {
  return RawPackage(close ? Cat({kFormSet, kForm, body, kEnd, kEnd}) : Cat({kFormSet, kForm, body}));
}

sim::PageBuild Draw(const Bytes &package) {
  return sim::BuildPageModel(package, [](EFI_STRING_ID id) -> std::optional<std::u16string> {
    if (id > 9) {
      return std::nullopt;
    }
    return std::u16string(u"s") + static_cast<char16_t>(u'0' + id);
  });
}

TEST(PageInterpreter, ConditionsDecideWhatShows) {
  struct Case {
    const char *name;
    Bytes condition;
    bool shown;
  };
  const Case cases[] = {
      {"0 == 0 with the first operand scoped", Cat({U64(0, true), U64(0), kEqual, kEnd}), false},
      {"1 == 2", Cat({U64(1), U64(2), kEqual}), true},
      {"TRUE", kTrue, false},
      {"FALSE", kFalse, true},
      {"NOT TRUE", Cat({kTrue, kNot}), true},
      {"1 != 2", Cat({U64(1), U64(2), Rec(0x30, false)}), false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes body = Cat({Text(1, 2), Rec(0x0A, true), c.condition, Text(3, 4), kEnd, Text(5, 6)});
    const sim::PageBuild build = Draw(FormPackage(body));
    ASSERT_TRUE(build.page.has_value()) << build.error;
    std::vector<std::string> labels;
    for (const sim::PageRow &row : build.page->rows) {
      labels.push_back(row.label);
    }
    EXPECT_EQ(labels, c.shown ? (std::vector<std::string>{"s1", "s3", "s5"}) : (std::vector<std::string>{"s1", "s5"}));
  }
}

TEST(PageInterpreter, SkipsWhatItDoesNotDrawButShowsItsContents) {
  struct Case {
    const char *name;
    Bytes body;
  };
  const Case cases[] = {
      {"unknown opcode without scope", Cat({Rec(0x7E, false, {1, 2, 3}), Text(1, 2)})},
      {"unknown opcode holding the row", Cat({Rec(0x7E, true, {9}), Text(1, 2), kEnd})},
      {"gray-out keeps the row visible", Cat({Rec(0x19, true), kTrue, Text(1, 2), kEnd})},
      {"default store before the row", Cat({Rec(0x5C, false, {0, 0, 0, 0}), Text(1, 2)})},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const sim::PageBuild build = Draw(FormPackage(c.body));
    ASSERT_TRUE(build.page.has_value()) << build.error;
    ASSERT_EQ(build.page->rows.size(), 1u);
    EXPECT_EQ(build.page->rows[0].label, "s1");
    EXPECT_EQ(build.page->rows[0].value, std::vector<std::string>{"s2"});
  }
}

TEST(PageInterpreter, MalformedFormsAreErrorsNotPages) {
  Bytes wrong_length = FormPackage(Text(1, 2));
  wrong_length[0] += 1;
  Bytes cut = FormPackage(Text(1, 2));
  cut.pop_back();
  cut[0] -= 1;
  struct Case {
    const char *name;
    Bytes package;
    const char *reason;
  };
  const Case cases[] = {
      {"package length disagrees", wrong_length, "not a form package"},
      {"record length below its header", FormPackage(Cat({Bytes{0x03, 0x01}, Text(1, 2)})), "does not fit"},
      {"record runs past the package", FormPackage(Bytes{0x03, 0x08, 1, 0}, false), "does not fit"},
      {"record header cut short", cut, "cut short"},
      {"END without a scope", RawPackage(Cat({kEnd, kFormSet, kEnd})), "END without an open scope"},
      {"scope left open", FormPackage(Text(1, 2), false), "scopes still open"},
      {"SUPPRESS_IF without scope", FormPackage(Cat({Rec(0x0A, false), kTrue, Text(1, 2)})), "without a scope"},
      {"condition lacks an operand", FormPackage(Cat({Rec(0x0A, true), U64(1), kEqual, Text(1, 2), kEnd})),
       "lacks operands"},
      {"condition is a number", FormPackage(Cat({Rec(0x0A, true), U64(1), Text(1, 2), kEnd})), "one boolean"},
      {"condition never finished", FormPackage(Cat({Rec(0x0A, true), kTrue}), false), "condition still open"},
      {"text record too short", FormPackage(Rec(0x03, false, {1, 0, 0, 0})), "too short"},
      {"missing string", FormPackage(Text(1, 42)), "string 42 is missing"},
      {"records after the form set", RawPackage(Cat({kFormSet, kForm, kEnd, kEnd, Text(1, 2)})),
       "after the end of the form set"},
      {"row before any form", RawPackage(Cat({kFormSet, Text(1, 2), kEnd})), "outside a form"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    const sim::PageBuild build = Draw(c.package);
    EXPECT_FALSE(build.page.has_value());
    EXPECT_NE(build.error.find(c.reason), std::string::npos) << build.error;
  }
}

}  // namespace
