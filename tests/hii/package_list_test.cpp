// SPDX-License-Identifier: BSD-2-Clause-Patent
// Registration of package arrays as one package list.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "hii/package_list.h"
#include "hii/page_packages.h"
#include "platform/guids.h"
#include "tests/hii/hii_bed.h"

namespace {

using hii_test::Bytes;
using hii_test::HiiBed;
using hii_test::Le32;

const std::vector<UINT8> kPageGuidBytes = {0x35, 0x48, 0xB3, 0xDB, 0x17, 0x1A, 0x04, 0x4F,
                                           0xB0, 0x0F, 0x57, 0xDB, 0xA4, 0xD1, 0x3C, 0x98};
const std::vector<UINT8> kEndPackage = {0x04, 0x00, 0x00, 0xDF};

std::vector<UINT8> Slice(const std::vector<UINT8> &bytes, size_t offset, size_t count) {
  return offset + count <= bytes.size() ? std::vector<UINT8>(bytes.begin() + offset, bytes.begin() + offset + count)
                                        : std::vector<UINT8>{};
}

// A 4-byte array whose length field says `length` (nothing follows it).
struct LengthOnly {
  explicit LengthOnly(UINT32 length) {
    for (int k = 0; k < 4; ++k) {
      bytes[k] = static_cast<UINT8>(length >> (8 * k));
    }
  }
  UINT8 bytes[4];
};

TEST(RegisterPagePackages, BuildsTheListInArgumentOrder) {
  struct Case {
    const char *name;
    bool strings_first;
    size_t string_at;
    size_t form_at;
  };
  const Case cases[] = {{"strings first, as the entry does", true, 20, 1010}, {"form first", false, 402, 20}};
  const std::vector<UINT8> strings = Bytes(mPageStringPackage);
  const std::vector<UINT8> form = Bytes(mPageFormPackage);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    EFI_HII_HANDLE handle =
        c.strings_first
            ? RegisterPagePackages(&PAGE_GUID, bed.driver_handle, mPageStringPackage, mPageFormPackage, NULL)
            : RegisterPagePackages(&PAGE_GUID, bed.driver_handle, mPageFormPackage, mPageStringPackage, NULL);
    ASSERT_NE(handle, nullptr) << bed.database.LastRejection();
    const std::vector<UINT8> list = bed.database.ReceivedBytes(handle);
    ASSERT_EQ(list.size(), 1396u);
    EXPECT_EQ(Slice(list, 0, 16), kPageGuidBytes);
    EXPECT_EQ(Le32(&list[16]), 1396u);
    EXPECT_EQ(Slice(list, c.string_at, 990), Slice(strings, 4, 990));
    EXPECT_EQ(Slice(list, c.form_at, 382), Slice(form, 4, 382));
    EXPECT_EQ(Slice(list, 1392, 4), kEndPackage);
    EXPECT_EQ(bed.database.DriverHandleOf(handle), bed.driver_handle);
    EXPECT_EQ(bed.database.LanguagesOf(handle), std::vector<std::string>{"en-US"});
    EXPECT_EQ(bed.Details("BS.AllocatePool"), std::vector<std::string>{"type=4 size=1396"});
    EXPECT_EQ(bed.Calls("HII."), std::vector<std::string>{"HII.NewPackageList"});
    EXPECT_EQ(bed.platform.calls().CountOf("BS.FreePool"), 1u);
  }
}

// The arrays are byte-packed data: they may start at any address, and a
// reader that assumed alignment would misread (or trap on the board).
TEST(RegisterPagePackages, ReadsArraysAtAnyAlignment) {
  std::vector<UINT8> reference;
  {
    HiiBed bed;
    reference = bed.database.ReceivedBytes(bed.RegisterPage());
  }
  const std::vector<UINT8> strings = Bytes(mPageStringPackage);
  const std::vector<UINT8> form = Bytes(mPageFormPackage);
  for (size_t shift : {1u, 2u, 3u, 6u, 10u}) {
    SCOPED_TRACE("arrays at 8n+" + std::to_string(shift));
    alignas(8) static UINT8 buffer[8 + 994 + 386 + 16];
    UINT8 *string_copy = buffer + shift;
    UINT8 *form_copy = string_copy + strings.size();  // directly behind, as in the image
    std::memcpy(string_copy, strings.data(), strings.size());
    std::memcpy(form_copy, form.data(), form.size());
    HiiBed bed;
    EFI_HII_HANDLE handle = RegisterPagePackages(&PAGE_GUID, bed.driver_handle, string_copy, form_copy, NULL);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(bed.database.ReceivedBytes(handle), reference);
  }
}

// Arrays of length 4 carry no package and add nothing; a null pointer ends
// the list wherever it stands; a missing terminator is guarded.
TEST(RegisterPagePackages, EmptyArraysAddNothingAndNullEndsTheList) {
  const LengthOnly empty(4);
  std::vector<UINT8> reference;
  {
    HiiBed bed;
    reference = bed.database.ReceivedBytes(bed.RegisterPage());
  }
  {
    HiiBed bed;
    EFI_HII_HANDLE handle = RegisterPagePackages(&PAGE_GUID, bed.driver_handle, empty.bytes, mPageStringPackage,
                                                 empty.bytes, mPageFormPackage, empty.bytes, NULL);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(bed.database.ReceivedBytes(handle), reference) << "length-4 arrays interleaved";
  }
  {
    HiiBed bed;
    EFI_HII_HANDLE handle = RegisterPagePackages(&PAGE_GUID, bed.driver_handle, mPageStringPackage, mPageFormPackage);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(bed.database.ReceivedBytes(handle), reference) << "no NULL passed";
  }
  {
    HiiBed bed;
    EFI_HII_HANDLE handle =
        RegisterPagePackages(&PAGE_GUID, bed.driver_handle, mPageStringPackage, nullptr, mPageFormPackage, NULL);
    ASSERT_NE(handle, nullptr);
    const std::vector<UINT8> list = bed.database.ReceivedBytes(handle);
    EXPECT_EQ(list.size(), 20u + 990u + 4u) << "the form array after the null is not part of the list";
  }
}

// Calls that must be refused before anything is allocated or called: no
// list or no package bytes at all, a length field below its own size
// (length - 4 would wrap), or a list too long for its 32-bit length field.
TEST(RegisterPagePackages, RefusesWithoutAllocatingOrCalling) {
  const LengthOnly empty(4), zero(0), one(1), three(3), half(0x80000000u), huge(0xFFFFFFF0u), just_over(0xFFFFFFECu);
  struct Case {
    const char *name;
    std::vector<const UINT8 *> arrays;
    bool database = true;
    bool list = true;  // false: no list at all
  };
  const Case cases[] = {
      {"no list", {}, true, false},
      {"no arrays", {}},
      {"one length-4 array", {empty.bytes}},
      {"three length-4 arrays", {empty.bytes, empty.bytes, empty.bytes}},
      {"length 0", {zero.bytes}},
      {"length 1 after a good array", {mPageStringPackage, one.bytes}},
      {"length 3 before a good array", {three.bytes, mPageFormPackage}},
      {"sum of lengths wraps 32 bits", {half.bytes, half.bytes}},
      {"S + 24 wraps 32 bits", {huge.bytes}},
      {"S + 24 is 2^32", {just_over.bytes}},
      {"no HII database protocol", {mPageStringPackage, mPageFormPackage}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    if (!c.database) {
      gDatabaseProtocol = nullptr;
    }
    std::vector<const UINT8 *> list = c.arrays;
    list.push_back(nullptr);
    EXPECT_EQ(RegisterPackageArrays(&PAGE_GUID, bed.driver_handle, c.list ? list.data() : nullptr), nullptr);
    EXPECT_EQ(bed.platform.calls().FaultableCalls(), 0u) << "nothing allocated, nothing called";
    EXPECT_TRUE(bed.database.Handles().empty());
  }
}

// The largest list that still fits: the allocation is asked for (and here
// refused), so the length arithmetic did not wrap or stop early.
TEST(RegisterPagePackages, LargestListThatFitsIsAttempted) {
  const LengthOnly largest(0xFFFFFFFFu - 24 + 4);
  HiiBed bed;
  bed.platform.calls().FailAlways("BS.AllocatePool", EFI_OUT_OF_RESOURCES);
  const UINT8 *const list[] = {largest.bytes, nullptr};
  EXPECT_EQ(RegisterPackageArrays(&PAGE_GUID, bed.driver_handle, list), nullptr);
  EXPECT_EQ(bed.Details("BS.AllocatePool"), std::vector<std::string>{"type=4 size=4294967295"});
  EXPECT_TRUE(bed.Calls("HII.").empty());
}

// A failed registration returns null whatever the database left in the
// handle, and the list is freed in every case.
TEST(RegisterPagePackages, FailuresYieldNullAndFreeTheList) {
  struct Case {
    const char *name;
    const char *service;
    bool scribble;
    size_t database_calls;
    size_t frees;
  };
  const Case cases[] = {
      {"NewPackageList fails and writes the handle", "HII.NewPackageList", true, 1, 1},
      {"NewPackageList fails", "HII.NewPackageList", false, 1, 1},
      {"no pool for the list", "BS.AllocatePool", true, 0, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    HiiBed bed;
    bed.platform.calls().FailNth(c.service, 1, EFI_OUT_OF_RESOURCES, c.scribble);
    EXPECT_EQ(RegisterPagePackages(&PAGE_GUID, bed.driver_handle, mPageStringPackage, mPageFormPackage, NULL), nullptr);
    EXPECT_EQ(bed.Calls("HII.").size(), c.database_calls);
    EXPECT_EQ(bed.platform.calls().CountOf("BS.FreePool"), c.frees);
    EXPECT_TRUE(bed.database.Handles().empty());
  }
}

// The database judges the contents; a list it rejects is not registered.
TEST(RegisterPagePackages, ListTheDatabaseRejectsYieldsNull) {
  std::vector<UINT8> broken = Bytes(mPageStringPackage);
  broken[4 + 52] = 0x99;  // first string block of an unknown type
  HiiBed bed;
  EXPECT_EQ(RegisterPagePackages(&PAGE_GUID, bed.driver_handle, broken.data(), mPageFormPackage, NULL), nullptr);
  EXPECT_NE(bed.database.LastRejection().find("block type 0x99"), std::string::npos) << bed.database.LastRejection();
  EXPECT_EQ(bed.platform.calls().CountOf("BS.FreePool"), 1u);
}

}  // namespace
