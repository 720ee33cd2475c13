// SPDX-License-Identifier: BSD-2-Clause-Patent
// Setting one page string in every language of the page's package list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "hii/page_string.h"
#include "hii/page_strings.h"
#include "tests/hii/hii_bed.h"

namespace {

using hii_test::DetailField;
using hii_test::HiiBed;

constexpr char16_t kNewText[] = u"16 GiB";

std::vector<std::string> Field(const std::vector<std::string> &details, const std::string &key) {
  std::vector<std::string> values;
  for (const std::string &detail : details) {
    values.push_back(DetailField(detail, key));
  }
  return values;
}

// With the page as registered (en-US alone): ask for the size, take a
// buffer of that size, read the list, set the string once, free.
TEST(SetPageString, PageListSetsOneStringInEnglishWithOneSetString) {
  HiiBed bed;
  EFI_HII_HANDLE handle = bed.RegisterPage();
  std::vector<std::optional<std::u16string>> before;
  for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
    before.push_back(bed.database.StringOf(handle, id, "en-US"));
  }
  bed.platform.calls().Clear();

  SetPageString(handle, STRING_TOTAL_MEMORY_VALUE, kNewText);

  EXPECT_EQ(bed.Calls(""), (std::vector<std::string>{"HII.GetLanguages", "BS.AllocatePool", "HII.GetLanguages",
                                                     "HII.SetString", "BS.FreePool"}));
  EXPECT_EQ(Field(bed.Details("HII.GetLanguages"), "size"), (std::vector<std::string>{"0", "6"}));
  EXPECT_EQ(bed.Details("BS.AllocatePool"), std::vector<std::string>{"type=4 size=6"});
  EXPECT_EQ(Field(bed.Details("HII.SetString"), "id"), std::vector<std::string>{"36"});
  for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
    const auto now = bed.database.StringOf(handle, id, "en-US");
    EXPECT_EQ(now, id == STRING_TOTAL_MEMORY_VALUE ? std::optional<std::u16string>(kNewText) : before[id - 1]) << id;
  }
}

// Configuration languages ("x-UEFI" and anything beginning with it, case
// as written) are skipped wherever they stand; every other language is set.
TEST(SetPageString, SkipsConfigurationLanguagesOnly) {
  struct Case {
    const char *name;
    sim::HiiDatabase::LanguageLayout layout;
    std::vector<std::string> set;      // languages updated, in call order
    std::vector<std::string> skipped;  // languages left alone
  };
  const Case cases[] = {
      {"en-US alone", {}, {"en-US"}, {}},
      {"x-UEFI-ns then en-US", {{"x-UEFI-ns"}, {}}, {"en-US"}, {"x-UEFI-ns"}},
      {"en-US, x-UEFI, fr-FR", {{}, {"x-UEFI", "fr-FR"}}, {"en-US", "fr-FR"}, {"x-UEFI"}},
      {"upper-case X-UEFI is a language", {{"X-UEFI"}, {}}, {"X-UEFI", "en-US"}, {}},
      {"x-U is only part of the prefix", {{"x-U"}, {}}, {"x-U", "en-US"}, {}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    bed.database.SetLanguageLayout(c.layout);
    EFI_HII_HANDLE handle = bed.RegisterPage();
    SetPageString(handle, STRING_PD_VERSION_VALUE, kNewText);
    EXPECT_EQ(Field(bed.Details("HII.SetString"), "lang"), c.set);
    for (const std::string &language : c.set) {
      EXPECT_EQ(bed.database.StringOf(handle, STRING_PD_VERSION_VALUE, language), kNewText) << language;
    }
    for (const std::string &language : c.skipped) {
      EXPECT_EQ(bed.database.StringOf(handle, STRING_PD_VERSION_VALUE, language), u" ") << language;
    }
  }
}

// A failing language ends the walk: it and all later languages keep their
// old text. Warnings are success. Failed size requests allocate nothing.
TEST(SetPageString, StopsAtTheFirstFailure) {
  struct Case {
    const char *name;
    const char *service;
    std::uint64_t nth;
    EFI_STATUS status;
    std::vector<std::string> updated;  // of en-US, fr-FR
    size_t set_calls;
    size_t allocations;
  };
  const Case cases[] = {
      {"size request fails (outputs scribbled)", "HII.GetLanguages", 1, EFI_DEVICE_ERROR, {}, 0, 0},
      {"no pool for the list", "BS.AllocatePool", 1, EFI_OUT_OF_RESOURCES, {}, 0, 1},
      {"reading the list fails (buffer scribbled)", "HII.GetLanguages", 2, EFI_DEVICE_ERROR, {}, 0, 1},
      {"SetString fails on the first of two", "HII.SetString", 1, EFI_DEVICE_ERROR, {}, 1, 1},
      {"SetString fails on the second of two", "HII.SetString", 2, EFI_OUT_OF_RESOURCES, {"en-US"}, 2, 1},
      {"a warning on the first goes on", "HII.SetString", 1, EFI_WARN_WRITE_FAILURE, {"fr-FR"}, 2, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    bed.database.SetLanguageLayout({{}, {"fr-FR"}});
    EFI_HII_HANDLE handle = bed.RegisterPage();
    bed.platform.calls().Clear();
    bed.platform.calls().FailNth(c.service, c.nth, c.status, true);
    SetPageString(handle, STRING_SE_VERSION_VALUE, kNewText);
    EXPECT_EQ(bed.platform.calls().CountOf("HII.SetString"), c.set_calls);
    EXPECT_EQ(bed.platform.calls().CountOf("BS.AllocatePool"), c.allocations);
    for (const char *language : {"en-US", "fr-FR"}) {
      const bool updated = std::count(c.updated.begin(), c.updated.end(), language) != 0;
      EXPECT_EQ(bed.database.StringOf(handle, STRING_SE_VERSION_VALUE, language), updated ? kNewText : u" ")
          << language;
    }
  }
}

// Id 0 asks for a new string in the first language; the id it gets serves
// every later language.
TEST(SetPageString, IdZeroAddsTheStringThenSetsItUnderTheNewId) {
  HiiBed bed;
  bed.database.SetLanguageLayout({{}, {"fr-FR"}});
  EFI_HII_HANDLE handle = bed.RegisterPage();
  SetPageString(handle, 0, kNewText);
  EXPECT_EQ(bed.Calls("HII.").back(), "HII.SetString");
  EXPECT_EQ(Field(bed.Details("HII.NewString"), "lang"), std::vector<std::string>{"en-US"});
  EXPECT_EQ(Field(bed.Details("HII.SetString"), "lang"), std::vector<std::string>{"fr-FR"});
  const EFI_STRING_ID assigned = PAGE_STRING_COUNT + 1;
  EXPECT_EQ(Field(bed.Details("HII.SetString"), "id"), std::vector<std::string>{std::to_string(assigned)});
  EXPECT_EQ(bed.database.StringOf(handle, assigned, "en-US"), kNewText);
  EXPECT_EQ(bed.database.StringOf(handle, assigned, "fr-FR"), kNewText);
}

TEST(SetPageString, FailedNewStringEndsTheWalk) {
  HiiBed bed;
  bed.database.SetLanguageLayout({{}, {"fr-FR"}});
  EFI_HII_HANDLE handle = bed.RegisterPage();
  bed.platform.calls().FailNth("HII.NewString", 1, EFI_OUT_OF_RESOURCES, true);
  SetPageString(handle, 0, kNewText);
  EXPECT_EQ(bed.platform.calls().CountOf("HII.SetString"), 0u);
  EXPECT_EQ(bed.database.StringOf(handle, PAGE_STRING_COUNT + 1, "en-US"), std::nullopt);
}

TEST(SetPageString, WithoutStringProtocolDoesNothing) {
  HiiBed bed;
  EFI_HII_HANDLE handle = bed.RegisterPage();
  bed.platform.calls().Clear();
  gStringProtocol = nullptr;
  SetPageString(handle, STRING_TOTAL_MEMORY_VALUE, kNewText);
  EXPECT_EQ(bed.platform.calls().FaultableCalls(), 0u);
  EXPECT_EQ(bed.database.StringOf(handle, STRING_TOTAL_MEMORY_VALUE, "en-US"), u" ");
}

// Language lists that no sound database delivers, from a scripted string
// protocol: the walk must stay inside the buffer and use only entries that
// a ';' or NUL inside it ends.
struct Reply {
  EFI_STATUS size_status = EFI_BUFFER_TOO_SMALL;
  UINTN size = 0;         // reported by the size request
  std::string content;    // written by the second request, cut to the buffer
  UINTN second_size = 0;  // reported by the second request
  EFI_STATUS second_status = EFI_SUCCESS;
};
struct Script {
  Reply reply;
  int requests = 0;
  std::vector<std::string> set;  // languages SetString was called with
};
Script *g_script = nullptr;

EFI_STATUS EFIAPI ScriptedGetLanguages(const EFI_HII_STRING_PROTOCOL *, EFI_HII_HANDLE, CHAR8 *Languages,
                                       UINTN *LanguagesSize) {
  const Reply &reply = g_script->reply;
  if (++g_script->requests == 1) {
    *LanguagesSize = reply.size;
    return reply.size_status;
  }
  std::memcpy(Languages, reply.content.data(), std::min<size_t>(*LanguagesSize, reply.content.size()));
  *LanguagesSize = reply.second_size;
  return reply.second_status;
}

EFI_STATUS EFIAPI ScriptedSetString(const EFI_HII_STRING_PROTOCOL *, EFI_HII_HANDLE, EFI_STRING_ID,
                                    const CHAR8 *Language, const CHAR16 *, const EFI_FONT_INFO *) {
  g_script->set.emplace_back(Language);
  return EFI_SUCCESS;
}

TEST(SetPageString, OddLanguageListsStayInsideTheBuffer) {
  using namespace std::string_literals;
  struct Case {
    const char *name;
    Reply reply;
    std::vector<std::string> set;
    size_t allocations;
  };
  const Case cases[] = {
      {"trailing ';' makes no empty entry", {EFI_BUFFER_TOO_SMALL, 13, "en-US;fr-FR;\0"s, 13}, {"en-US", "fr-FR"}, 1},
      {"empty entries are passed over", {EFI_BUFFER_TOO_SMALL, 15, ";;en-US;;fr-FR\0"s, 15}, {"en-US", "fr-FR"}, 1},
      {"prefix test on every entry",
       {EFI_BUFFER_TOO_SMALL, 34, "x-UEFI;en-US;x-UEFI-ab;X-UEFI;x-U\0"s, 34},
       {"en-US", "X-UEFI", "x-U"},
       1},
      {"no terminator within the reported size", {EFI_BUFFER_TOO_SMALL, 11, "en-US;fr-FR"s, 11}, {"en-US"}, 1},
      {"second request reports more than the buffer", {EFI_BUFFER_TOO_SMALL, 11, "en-US;fr-FR"s, 4096}, {"en-US"}, 1},
      {"second request reports less than it wrote", {EFI_BUFFER_TOO_SMALL, 12, "en-US;fr-FR\0"s, 6}, {"en-US"}, 1},
      {"size request answers EFI_SUCCESS", {EFI_SUCCESS, 6, "en-US\0"s, 6}, {}, 0},
      {"size request answers a warning", {EFI_WARN_BUFFER_TOO_SMALL, 6, "en-US\0"s, 6}, {}, 0},
      {"size request fails", {EFI_INVALID_PARAMETER, 6, "en-US\0"s, 6}, {}, 0},
      {"second request fails", {EFI_BUFFER_TOO_SMALL, 6, "en-US\0"s, 6, EFI_DEVICE_ERROR}, {}, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    Script script{c.reply, 0, {}};
    g_script = &script;
    EFI_HII_STRING_PROTOCOL scripted{};
    scripted.GetLanguages = ScriptedGetLanguages;
    scripted.SetString = ScriptedSetString;
    gStringProtocol = &scripted;
    int handle_stand_in = 0;
    SetPageString(&handle_stand_in, STRING_EDK2_VALUE, kNewText);
    g_script = nullptr;
    EXPECT_EQ(script.set, c.set);
    EXPECT_EQ(bed.platform.calls().CountOf("BS.AllocatePool"), c.allocations);
    if (c.allocations != 0) {
      EXPECT_EQ(bed.Details("BS.AllocatePool"),
                std::vector<std::string>{"type=4 size=" + std::to_string(c.reply.size)});
    }
  }
}

}  // namespace
