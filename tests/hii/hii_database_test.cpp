// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated HII database: what it accepts, what it rejects, and the
// UEFI semantics of its protocol members.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "hii/page_packages.h"
#include "platform/guids.h"
#include "sim/hii_string_store.h"
#include "tests/hii/hii_bed.h"

namespace {

using hii_test::HiiBed;
using hii_test::Le32;
using Bytes = std::vector<UINT8>;

void Put32(Bytes &bytes, size_t offset, UINT32 value) {
  for (int k = 0; k < 4; ++k) {
    bytes[offset + k] = static_cast<UINT8>(value >> (8 * k));
  }
}

Bytes Package(UINT8 type, const Bytes &body) {
  Bytes out(4);
  Put32(out, 0, static_cast<UINT32>(4 + body.size()) | (UINT32{type} << 24));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes List(const std::vector<Bytes> &packages, const EFI_GUID &guid = PAGE_GUID) {
  Bytes out(20);
  std::memcpy(out.data(), &guid, 16);
  for (const Bytes &package : packages) {
    out.insert(out.end(), package.begin(), package.end());
  }
  const Bytes end = {0x04, 0x00, 0x00, 0xDF};
  out.insert(out.end(), end.begin(), end.end());
  Put32(out, 16, static_cast<UINT32>(out.size()));
  return out;
}

Bytes Ucs2Block(const std::u16string &text) {
  Bytes out = {0x14};
  for (char16_t unit : text) {
    out.push_back(static_cast<UINT8>(unit));
    out.push_back(static_cast<UINT8>(unit >> 8));
  }
  out.insert(out.end(), {0, 0});
  return out;
}

// A string package for `language` with the given blocks after its header.
Bytes StringPackage(const std::string &language, const Bytes &blocks) {
  const UINT32 header = static_cast<UINT32>(46 + language.size() + 1);
  Bytes body(header - 4, 0);
  Put32(body, 0, header);
  Put32(body, 4, header);
  std::memcpy(&body[42], language.c_str(), language.size() + 1);
  body.insert(body.end(), blocks.begin(), blocks.end());
  return Package(0x04, body);
}

Bytes ArrayPackage(const UINT8 *array) { return Bytes(array + 4, array + Le32(array)); }

// The page's list as the registration builds it, made here from the arrays.
Bytes PageList() { return List({ArrayPackage(mPageStringPackage), ArrayPackage(mPageFormPackage)}); }

EFI_STATUS Register(HiiBed &bed, const Bytes &list, EFI_HII_HANDLE *handle, EFI_HANDLE driver = nullptr) {
  EFI_HII_DATABASE_PROTOCOL *db = bed.database.DatabaseProtocol();
  return db->NewPackageList(db, reinterpret_cast<const EFI_HII_PACKAGE_LIST_HEADER *>(list.data()), driver, handle);
}

TEST(SimHiiDatabase, RejectsMalformedLists) {
  using Mutation = std::function<void(Bytes &)>;
  auto set32 = [](size_t offset, UINT32 value) { return [=](Bytes &b) { Put32(b, offset, value); }; };
  auto set8 = [](size_t offset, UINT8 value) { return [=](Bytes &b) { b[offset] = value; }; };
  auto grow = [](UINT32 end_length) {
    return [=](Bytes &b) {
      b.insert(b.end(), 4, 0);
      Put32(b, 16, static_cast<UINT32>(b.size()));
      if (end_length != 0) {
        Put32(b, 1392, end_length | (0xDFu << 24));
      }
    };
  };
  struct Case {
    const char *name;
    Mutation mutate;
    const char *reason;
  };
  // Offsets into the page list: string package at 20, form at 1010, end at 1392.
  const Case cases[] = {
      {"PackageLength below header and end", set32(16, 20), "PackageLength"},
      {"bytes after the end package", grow(0), "follow the end package"},
      {"end package of length 8", grow(8), "end package of length 8"},
      {"no end package", set8(1395, 0x02), "no end package"},
      {"package length below its header", set32(20, 3u | (0x04u << 24)), "below its header"},
      {"package runs past PackageLength", set32(20, 2000u | (0x04u << 24)), "runs past PackageLength"},
      {"package type 0", set8(23, 0x00), "type 0x00"},
      {"HdrSize below the header fields", set32(24, 40), "HdrSize"},
      {"HdrSize beyond the package", set32(24, 1000), "HdrSize"},
      {"StringInfoOffset before HdrSize", set32(28, 40), "StringInfoOffset"},
      {"StringInfoOffset at the package end", set32(28, 990), "StringInfoOffset"},
      {"language tag without its NUL", set8(20 + 51, 'x'), "not terminated within the header"},
      {"empty language tag", set8(20 + 46, 0), "empty language tag"},
      {"unknown block type", set8(20 + 52, 0x99), "block type 0x99"},
      {"font-carrying UCS-2 block", set8(20 + 52, 0x15), "block type 0x15"},
      {"last text loses its terminator", set8(20 + 987, 'A'), "not terminated"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    Bytes list = PageList();
    c.mutate(list);
    EFI_HII_HANDLE handle = nullptr;
    EXPECT_EQ(Register(bed, list, &handle), EFI_INVALID_PARAMETER);
    EXPECT_NE(bed.database.LastRejection().find(c.reason), std::string::npos) << bed.database.LastRejection();
    EXPECT_TRUE(bed.database.Handles().empty());
  }
}

TEST(SimHiiDatabase, RejectsMalformedStringBlocksAndLanguages) {
  struct Case {
    const char *name;
    Bytes list;
    const char *reason;
  };
  const Case cases[] = {
      {"no end block", List({StringPackage("en-US", Ucs2Block(u"a"))}), "no end block"},
      {"bytes after the end block", List({StringPackage("en-US", {0x00, 0x14, 0x00, 0x00})}), "follow the end block"},
      {"skip block cut short", List({StringPackage("en-US", {0x21, 0x01})}), "cut short"},
      {"two packages for one language", List({StringPackage("en-US", {0x00}), StringPackage("en-US", {0x00})}),
       "two string packages"},
      {"PackageList NULL", {}, "NULL"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    EFI_HII_HANDLE handle = nullptr;
    EFI_HII_DATABASE_PROTOCOL *db = bed.database.DatabaseProtocol();
    const auto *list = c.list.empty() ? nullptr : reinterpret_cast<const EFI_HII_PACKAGE_LIST_HEADER *>(c.list.data());
    EXPECT_EQ(db->NewPackageList(db, list, nullptr, &handle), EFI_INVALID_PARAMETER);
    EXPECT_NE(bed.database.LastRejection().find(c.reason), std::string::npos) << bed.database.LastRejection();
    EXPECT_TRUE(bed.database.Handles().empty());
  }
}

TEST(SimHiiDatabase, SecondListWithTheSameGuidIsRejected) {
  HiiBed bed;
  EFI_HII_HANDLE first = nullptr, second = nullptr;
  ASSERT_EQ(Register(bed, PageList(), &first), EFI_SUCCESS);
  EXPECT_EQ(Register(bed, PageList(), &second), EFI_INVALID_PARAMETER);
  EXPECT_EQ(bed.database.Handles(), std::vector<EFI_HII_HANDLE>{first});
}

// Accepted lists export as they came in; a driver handle with a device
// path adds a device-path package holding it.
TEST(SimHiiDatabase, AcceptedListsExportAsReceived) {
  Bytes skips = {0x22, 0x02};  // ids 1 and 2 skipped
  const Bytes third = Ucs2Block(u"id 3");
  skips.insert(skips.end(), third.begin(), third.end());
  skips.insert(skips.end(), {0x21, 0x2C, 0x01});  // ids 4..303 skipped
  const Bytes last = Ucs2Block(u"id 304");
  skips.insert(skips.end(), last.begin(), last.end());
  skips.push_back(0x00);
  struct Case {
    const char *name;
    Bytes list;
  };
  const Case cases[] = {
      {"the page", PageList()},
      {"skip blocks", List({StringPackage("fr-FR", skips)})},
      {"a package type carried as it stands", List({Package(0x06, {1, 2, 3, 4, 5})})},
      {"nothing but the end package", List({})},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    EFI_HII_HANDLE handle = nullptr;
    ASSERT_EQ(Register(bed, c.list, &handle), EFI_SUCCESS) << bed.database.LastRejection();
    EXPECT_EQ(bed.database.ReceivedBytes(handle), c.list);
    EXPECT_EQ(bed.database.ExportedBytes(handle), c.list);
    if (std::string(c.name) == "skip blocks") {
      EXPECT_EQ(bed.database.StringOf(handle, 3, "fr-FR"), u"id 3");
      EXPECT_EQ(bed.database.StringOf(handle, 303, "fr-FR"), std::nullopt);
      EXPECT_EQ(bed.database.StringOf(handle, 304, "fr-FR"), u"id 304");
    }
  }
}

TEST(SimHiiDatabase, DriverDevicePathBecomesAPackage) {
  HiiBed bed;
  EFI_HII_HANDLE handle = nullptr;
  const Bytes page = PageList();
  ASSERT_EQ(Register(bed, page, &handle, bed.driver_handle), EFI_SUCCESS);
  EXPECT_EQ(bed.database.ReceivedBytes(handle), page);
  const Bytes exported = bed.database.ExportedBytes(handle);
  const size_t path_size = sizeof(hii_test::PageDevicePath);
  ASSERT_EQ(exported.size(), page.size() + 4 + path_size);
  EXPECT_EQ(Le32(&exported[16]), exported.size());
  EXPECT_EQ(Bytes(exported.begin() + 20, exported.begin() + 1392), Bytes(page.begin() + 20, page.begin() + 1392));
  EXPECT_EQ(Le32(&exported[1392]), static_cast<UINT32>(4 + path_size) | (0x08u << 24));
  EXPECT_EQ(std::memcmp(&exported[1396], &bed.device_path, path_size), 0);
  EXPECT_EQ(Bytes(exported.end() - 4, exported.end()), (Bytes{0x04, 0x00, 0x00, 0xDF}));
}

// Buffer-size protocol: too small a buffer is told the size it needs.
TEST(SimHiiDatabase, ExportAndListFollowTheSizeProtocol) {
  HiiBed bed;
  EFI_HII_HANDLE page = nullptr, other = nullptr;
  const EFI_GUID other_guid = EFI_HII_PLATFORM_SETUP_FORMSET_GUID;
  const Bytes other_list = List({Package(0x06, {9})}, other_guid);
  ASSERT_EQ(Register(bed, PageList(), &page), EFI_SUCCESS);
  ASSERT_EQ(Register(bed, other_list, &other), EFI_SUCCESS);
  EFI_HII_DATABASE_PROTOCOL *db = bed.database.DatabaseProtocol();
  Bytes buffer(4096, 0xEE);
  auto *out = reinterpret_cast<EFI_HII_PACKAGE_LIST_HEADER *>(buffer.data());
  struct Export {
    const char *name;
    EFI_HII_HANDLE handle;
    UINTN size;
    bool with_buffer;
    EFI_STATUS status;
    UINTN size_after;
  };
  const Export exports[] = {
      {"size query", page, 0, false, EFI_BUFFER_TOO_SMALL, 1396},
      {"one byte short", page, 1395, true, EFI_BUFFER_TOO_SMALL, 1396},
      {"exact", page, 1396, true, EFI_SUCCESS, 1396},
      {"all lists", nullptr, 4096, true, EFI_SUCCESS, 1396 + other_list.size()},
      {"unknown handle", &bed, 4096, true, EFI_NOT_FOUND, 4096},
      {"size without buffer", page, 16, false, EFI_INVALID_PARAMETER, 16},
  };
  for (const Export &e : exports) {
    SCOPED_TRACE(e.name);
    UINTN size = e.size;
    EXPECT_EQ(db->ExportPackageLists(db, e.handle, &size, e.with_buffer ? out : nullptr), e.status);
    EXPECT_EQ(size, e.size_after);
  }
  EXPECT_EQ(db->ExportPackageLists(db, page, nullptr, out), EFI_INVALID_PARAMETER);

  struct Listing {
    const char *name;
    UINT8 type;
    const EFI_GUID *guid;
    UINTN size;
    EFI_STATUS status;
    std::vector<EFI_HII_HANDLE> handles;
  };
  const Listing listings[] = {
      {"all", 0x00, nullptr, 64, EFI_SUCCESS, {page, other}},
      {"string packages", 0x04, nullptr, 64, EFI_SUCCESS, {page}},
      {"image packages", 0x06, nullptr, 64, EFI_SUCCESS, {other}},
      {"font packages", 0x05, nullptr, 64, EFI_NOT_FOUND, {}},
      {"too small", 0x00, nullptr, 8, EFI_BUFFER_TOO_SMALL, {}},
      {"GUID type without GUID", 0x01, nullptr, 64, EFI_INVALID_PARAMETER, {}},
  };
  for (const Listing &l : listings) {
    SCOPED_TRACE(l.name);
    std::vector<EFI_HII_HANDLE> handles(8, nullptr);
    UINTN size = l.size;
    EXPECT_EQ(db->ListPackageLists(db, l.type, l.guid, &size, handles.data()), l.status);
    if (l.status == EFI_SUCCESS) {
      handles.resize(size / sizeof(EFI_HII_HANDLE));
      EXPECT_EQ(handles, l.handles);
    } else if (l.status == EFI_BUFFER_TOO_SMALL) {
      EXPECT_EQ(size, 2 * sizeof(EFI_HII_HANDLE));
    }
  }
  EFI_HANDLE driver = nullptr;
  EXPECT_EQ(db->GetPackageListHandle(db, page, &driver), EFI_SUCCESS);
  EXPECT_EQ(db->GetPackageListHandle(db, &bed, &driver), EFI_INVALID_PARAMETER);
}

TEST(SimHiiStrings, LanguagesAndStringsFollowTheSizeProtocol) {
  HiiBed bed;
  bed.database.SetLanguageLayout({{"x-UEFI-ns"}, {"fr-FR"}});
  EFI_HII_HANDLE page = bed.RegisterPage();
  EFI_HII_STRING_PROTOCOL *strings = bed.database.StringProtocol();
  const std::string languages = "x-UEFI-ns;en-US;fr-FR";
  struct LanguageCase {
    const char *name;
    EFI_HII_HANDLE handle;
    UINTN size;
    EFI_STATUS status;
    UINTN size_after;
  };
  const LanguageCase language_cases[] = {
      {"size query", page, 0, EFI_BUFFER_TOO_SMALL, languages.size() + 1},
      {"terminator does not fit", page, languages.size(), EFI_BUFFER_TOO_SMALL, languages.size() + 1},
      {"exact", page, languages.size() + 1, EFI_SUCCESS, languages.size() + 1},
      {"unknown handle", &bed, 64, EFI_NOT_FOUND, 64},
  };
  for (const LanguageCase &c : language_cases) {
    SCOPED_TRACE(c.name);
    std::string buffer(64, '#');
    UINTN size = c.size;
    EXPECT_EQ(strings->GetLanguages(strings, c.handle, buffer.data(), &size), c.status);
    EXPECT_EQ(size, c.size_after);
    if (c.status == EFI_SUCCESS) {
      EXPECT_STREQ(buffer.c_str(), languages.c_str());
    }
  }

  struct StringCase {
    const char *name;
    const char *language;
    EFI_STRING_ID id;
    UINTN size;
    EFI_STATUS status;
    UINTN size_after;
  };
  const StringCase string_cases[] = {
      {"size query", "en-US", 8, 0, EFI_BUFFER_TOO_SMALL, 16},  // "PCB SKU" and its terminator
      {"exact", "en-US", 8, 16, EFI_SUCCESS, 16},
      {"id 0", "en-US", 0, 64, EFI_NOT_FOUND, 64},
      {"id past the last", "en-US", 48, 64, EFI_NOT_FOUND, 64},
      {"language the list lacks", "de-DE", 8, 64, EFI_INVALID_LANGUAGE, 64},
  };
  for (const StringCase &c : string_cases) {
    SCOPED_TRACE(c.name);
    std::u16string buffer(32, u'#');
    UINTN size = c.size;
    EXPECT_EQ(strings->GetString(strings, c.language, page, c.id, buffer.data(), &size, nullptr), c.status);
    EXPECT_EQ(size, c.size_after);
    if (c.status == EFI_SUCCESS) {
      EXPECT_EQ(std::u16string(buffer.c_str()), u"PCB SKU");
    }
  }

  EXPECT_EQ(strings->SetString(strings, page, 48, "en-US", u"x", nullptr), EFI_NOT_FOUND);
  EXPECT_EQ(strings->SetString(strings, page, 9, "de-DE", u"x", nullptr), EFI_NOT_FOUND);
  EXPECT_EQ(strings->SetString(strings, page, 9, "fr-FR", u"Q4M", nullptr), EFI_SUCCESS);
  EXPECT_EQ(bed.database.StringOf(page, 9, "fr-FR"), u"Q4M");
  EXPECT_EQ(bed.database.StringOf(page, 9, "en-US"), u" ");
}

// A new string's id is reserved in every language of the list: it reads
// as missing there until set, and the exported packages say so with skip
// blocks that parse back.
TEST(SimHiiStrings, NewStringReservesItsIdInEveryLanguage) {
  HiiBed bed;
  bed.database.SetLanguageLayout({{}, {"fr-FR"}});
  EFI_HII_HANDLE page = bed.RegisterPage();
  EFI_HII_STRING_PROTOCOL *strings = bed.database.StringProtocol();
  EFI_STRING_ID id = 0;
  ASSERT_EQ(strings->NewString(strings, page, &id, "en-US", nullptr, u"new", nullptr), EFI_SUCCESS);
  EXPECT_EQ(id, 48);
  UINTN size = 64;
  CHAR16 text[32];
  EXPECT_EQ(strings->GetString(strings, "fr-FR", page, id, text, &size, nullptr), EFI_INVALID_LANGUAGE);
  const Bytes exported = bed.database.ExportedBytes(page);
  EFI_HII_HANDLE copy = nullptr;
  Bytes renamed = exported;
  renamed[0] ^= 0xFF;  // another GUID, so the copy may be registered beside the original
  ASSERT_EQ(Register(bed, renamed, &copy), EFI_SUCCESS) << bed.database.LastRejection();
  EXPECT_EQ(bed.database.StringOf(copy, 48, "en-US"), u"new");
  EXPECT_EQ(bed.database.StringOf(copy, 48, "fr-FR"), std::nullopt);
  EXPECT_EQ(strings->SetString(strings, page, id, "fr-FR", u"neu", nullptr), EFI_SUCCESS);
  EXPECT_EQ(bed.database.StringOf(page, id, "fr-FR"), u"neu");
}

// Every member is traced under its name, and injected failures scribble
// over the outputs the caller must not trust.
TEST(SimHiiProtocols, CallsAreTracedAndFaultsScribbleOutputs) {
  HiiBed bed;
  EFI_HII_HANDLE page = bed.RegisterPage();
  EFI_HII_DATABASE_PROTOCOL *db = bed.database.DatabaseProtocol();
  EFI_HII_STRING_PROTOCOL *strings = bed.database.StringProtocol();
  struct Case {
    const char *service;
    std::function<EFI_STATUS(UINTN *scribbled)> call;
    UINTN scribble;  // what the output holds after an injected failure
  };
  const Case cases[] = {
      {"HII.NewPackageList",
       [&](UINTN *out) {
         EFI_HII_HANDLE handle = nullptr;
         const Bytes list = List({}, EFI_HII_PLATFORM_SETUP_FORMSET_GUID);
         const EFI_STATUS status = Register(bed, list, &handle);
         *out = reinterpret_cast<UINTN>(handle);
         return status;
       },
       sim::kScribble},
      {"HII.ExportPackageLists",
       [&](UINTN *out) {
         *out = 0;
         return db->ExportPackageLists(db, page, out, nullptr);
       },
       0xDEAD},
      {"HII.GetLanguages",
       [&](UINTN *out) {
         *out = 0;
         return strings->GetLanguages(strings, page, nullptr, out);
       },
       0xDEAD},
      {"HII.GetString",
       [&](UINTN *out) {
         *out = 0;
         return strings->GetString(strings, "en-US", page, 9, nullptr, out, nullptr);
       },
       0xDEAD},
      {"HII.NewString",
       [&](UINTN *out) {
         EFI_STRING_ID id = 0;
         const EFI_STATUS status = strings->NewString(strings, page, &id, "en-US", nullptr, u"n", nullptr);
         *out = id;
         return status;
       },
       0xBEEF},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.service);
    UINTN out = 0;
    const EFI_STATUS plain = c.call(&out);
    EXPECT_NE(out, c.scribble);
    EXPECT_EQ(bed.platform.calls().Records().back().service, c.service);
    EXPECT_EQ(bed.platform.calls().Records().back().status, plain);
    bed.platform.calls().FailNth(c.service, 1, EFI_DEVICE_ERROR, true);
    EXPECT_EQ(c.call(&out), EFI_DEVICE_ERROR);
    EXPECT_EQ(out, c.scribble);
    EXPECT_TRUE(bed.platform.calls().Records().back().injected);
    bed.platform.calls().ClearFaults();
  }
}

TEST(SimHiiProtocols, PublishMakesBothProtocolsLocatable) {
  HiiBed bed;
  EFI_BOOT_SERVICES *bs = bed.platform.BootServices();
  void *database = nullptr;
  void *strings = nullptr;
  EXPECT_EQ(bs->LocateProtocol(&EFI_HII_DATABASE_PROTOCOL_GUID, nullptr, &database), EFI_SUCCESS);
  EXPECT_EQ(bs->LocateProtocol(&EFI_HII_STRING_PROTOCOL_GUID, nullptr, &strings), EFI_SUCCESS);
  EXPECT_EQ(database, bed.database.DatabaseProtocol());
  EXPECT_EQ(strings, bed.database.StringProtocol());
}

}  // namespace
