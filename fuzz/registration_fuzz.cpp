// SPDX-License-Identifier: BSD-2-Clause-Patent
// Registration of package arrays as one HII package list, with arbitrary
// arrays (count, lengths, contents, alignment, a null entry anywhere),
// against the simulated HII database or a permissive stub NewPackageList
// that only records what it received and answers as the input says.
//
// Checks, for every call:
// - refused calls (no database protocol, a length field below 4 before the
//   list's end, no package bytes at all, a list whose S + 24 does not fit
//   32 bits) return null and allocate and call nothing;
// - otherwise exactly one pool buffer of S + 24 bytes of EfiBootServicesData
//   is asked for; without it the result is null and the database is not
//   called;
// - the list NewPackageList receives, in a pool block of exactly S + 24
//   bytes, is the GUID, S + 24, every package in argument order and
//   04 00 00 DF, with the driver handle passed through;
// - the result is null exactly when nothing was registered: the stub's
//   handle when it answered success (warnings included), else null; with
//   the simulated database, the list it holds or none;
// - the list is freed and no pool is left behind;
// - nothing outside the arrays is read: each array ends where its heap
//   block ends, arrays behind the null entry are freed memory, and arrays
//   whose length field claims more than they hold only appear where the
//   driver must refuse before copying (see kPoolCap).
//
// Input: a flags byte, the GUID's offset byte and 16 GUID bytes, the
// stub's status choice and handle choice, the array count and the null
// position, then per array a kind byte (bits 0..1 kind, bits 2..4 offset)
// and its data: kind 0 a 2-byte content size and the content, kind 1 and
// 2 the page's string and form arrays, kind 3 a 4-byte length field alone.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "fuzz/exact_block.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/pool_watch.h"
#include "hii/package_list.h"
#include "hii/page_packages.h"
#include "platform/device_path.h"
#include "platform/guids.h"
#include "platform/hii.h"
#include "platform/module_globals.h"
#include "sim/hii_database.h"
#include "sim/platform.h"

namespace {

using fuzz::ExactBlock;
using fuzz::FuzzInput;
using fuzz::Require;

// Pool the simulated firmware has for one list. Length-only arrays that
// claim more than this (and more than they hold) make S + 24 exceed it,
// so the allocation fails before anything is copied.
constexpr UINTN kPoolCap = 1 << 20;
constexpr UINT32 kLyingFloor = kPoolCap + 1;
constexpr std::size_t kMaxArrays = 8;
constexpr std::size_t kMaxContent = 4096;
constexpr UINT64 kMaxListLength = 0xFFFFFFFFu;

enum Flags : UINT8 {
  kUseStub = 1 << 0,
  kThroughTemplate = 1 << 1,
  kNoDatabase = 1 << 2,
  kFailAllocation = 1 << 3,
  kScribble = 1 << 4,
  kNoNullArgument = 1 << 5,  // template call: rely on the appended null
  kFailDatabase = 1 << 7,    // simulated database only; the stub answers as told
};

constexpr EFI_STATUS kStubStatuses[] = {
    EFI_SUCCESS,          EFI_WARN_UNKNOWN_GLYPH, EFI_WARN_STALE_DATA, EFI_INVALID_PARAMETER,
    EFI_OUT_OF_RESOURCES, EFI_DEVICE_ERROR,       EFI_NOT_FOUND,       EFI_ERROR_BIT,
};

// One array as the driver sees it, and what its length field says.
struct Array {
  std::unique_ptr<ExactBlock> block;
  UINT32 length;                // the length field
  std::vector<UINT8> packages;  // the bytes behind the length field, when it tells the truth
};

std::vector<UINT8> Le32(UINT32 value) {
  return {static_cast<UINT8>(value), static_cast<UINT8>(value >> 8), static_cast<UINT8>(value >> 16),
          static_cast<UINT8>(value >> 24)};
}

Array MakeArray(FuzzInput &in) {
  const UINT8 kind = in.Byte();
  const std::size_t offset = (kind >> 2) & 7;
  std::vector<UINT8> bytes;
  switch (kind & 3) {
    case 0: {
      const std::vector<UINT8> content = in.Bytes(in.U16() % (kMaxContent + 1));
      bytes = Le32(static_cast<UINT32>(4 + content.size()));
      bytes.insert(bytes.end(), content.begin(), content.end());
      break;
    }
    case 1:
      bytes.assign(mPageStringPackage, mPageStringPackage + PAGE_STRING_ARRAY_LENGTH);
      break;
    case 2:
      bytes.assign(mPageFormPackage, mPageFormPackage + PAGE_FORM_ARRAY_LENGTH);
      break;
    default: {
      // Below 4 (refused), or more than the pool cap: only the field exists.
      UINT32 length = in.U32();
      if (length >= 4) {
        length = kLyingFloor + length % (0xFFFFFFFFu - kLyingFloor + 1);
      }
      bytes = Le32(length);
      break;
    }
  }
  Array array;
  std::memcpy(&array.length, bytes.data(), 4);
  if (array.length == bytes.size()) {
    array.packages.assign(bytes.begin() + 4, bytes.end());
  }
  array.block = std::make_unique<ExactBlock>(bytes, offset);
  return array;
}

// What the permissive stub got and how it answers.
struct Stub {
  EFI_HII_DATABASE_PROTOCOL protocol{};
  EFI_STATUS status = EFI_SUCCESS;
  UINT8 handle_choice = 0;  // on failure: 0 untouched, 1 null, 2 garbage, 3 its handle
  int handle_object = 0;
  unsigned calls = 0;
  const EFI_HII_DATABASE_PROTOCOL *self = nullptr;
  EFI_HANDLE driver = nullptr;
  std::size_t block_size = 0;
  std::vector<UINT8> received;
};
Stub *g_stub = nullptr;

EFI_STATUS EFIAPI StubNewPackageList(const EFI_HII_DATABASE_PROTOCOL *This, const EFI_HII_PACKAGE_LIST_HEADER *List,
                                     EFI_HANDLE DriverHandle, EFI_HII_HANDLE *Handle) {
  Stub &stub = *g_stub;
  ++stub.calls;
  stub.self = This;
  stub.driver = DriverHandle;
  Require(List != nullptr && Handle != nullptr, "NewPackageList got a NULL list or handle pointer");
  stub.block_size = sim::Current().pool().SizeOf(List);
  const auto *bytes = reinterpret_cast<const UINT8 *>(List);
  stub.received.assign(bytes, bytes + stub.block_size);
  if (!EFI_ERROR(stub.status)) {
    *Handle = &stub.handle_object;
  } else if (stub.handle_choice == 1) {
    *Handle = nullptr;
  } else if (stub.handle_choice == 2) {
    *Handle = reinterpret_cast<EFI_HII_HANDLE>(sim::kScribble);
  } else if (stub.handle_choice == 3) {
    *Handle = &stub.handle_object;
  }
  return stub.status;
}

// A driver handle of the kind the entry passes (carrying a device path),
// none, or one the handle database does not know.
EFI_HANDLE ChooseDriverHandle(sim::Platform &platform, UINT8 choice) {
  static const struct {
    VENDOR_DEVICE_PATH vendor;
    EFI_DEVICE_PATH_PROTOCOL end;
  } kPath = {{{HARDWARE_DEVICE_PATH, HW_VENDOR_DP, {20, 0}}, PAGE_GUID},
             {END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, {4, 0}}};
  static int stranger;
  switch (choice % 4) {
    case 0:
      return platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, const_cast<void *>(static_cast<const void *>(&kPath)));
    case 1:
      return nullptr;
    case 2:
      return platform.ImageHandle();
    default:
      return &stranger;
  }
}

EFI_HII_HANDLE CallTemplate(const EFI_GUID *guid, EFI_HANDLE driver, const std::vector<const UINT8 *> &a,
                            bool with_null) {
  switch (a.size()) {
    case 0:
      return with_null ? RegisterPagePackages(guid, driver, NULL) : RegisterPagePackages(guid, driver);
    case 1:
      return with_null ? RegisterPagePackages(guid, driver, a[0], NULL) : RegisterPagePackages(guid, driver, a[0]);
    case 2:
      return with_null ? RegisterPagePackages(guid, driver, a[0], a[1], NULL)
                       : RegisterPagePackages(guid, driver, a[0], a[1]);
    case 3:
      return with_null ? RegisterPagePackages(guid, driver, a[0], a[1], a[2], NULL)
                       : RegisterPagePackages(guid, driver, a[0], a[1], a[2]);
    default:
      return with_null ? RegisterPagePackages(guid, driver, a[0], a[1], a[2], a[3], NULL)
                       : RegisterPagePackages(guid, driver, a[0], a[1], a[2], a[3]);
  }
}

struct Expectation {
  bool refused = false;
  UINT64 packages = 0;   // S
  bool truthful = true;  // every counted array holds what its length says
};

// What the driver must make of the arrays before the list's null entry.
Expectation Expect(const std::vector<Array> &arrays, std::size_t end, bool database) {
  Expectation e;
  for (std::size_t i = 0; i < end; ++i) {
    if (arrays[i].length < 4) {
      e.refused = true;
    } else {
      e.packages += arrays[i].length - 4;
      e.truthful = e.truthful && arrays[i].length == arrays[i].packages.size() + 4;
    }
  }
  e.refused = e.refused || !database || e.packages == 0 || e.packages + 24 > kMaxListLength;
  return e;
}

std::vector<UINT8> ExpectedList(const UINT8 *guid, const std::vector<Array> &arrays, std::size_t end, UINT32 length) {
  std::vector<UINT8> list(guid, guid + 16);
  const std::vector<UINT8> field = Le32(length);
  list.insert(list.end(), field.begin(), field.end());
  for (std::size_t i = 0; i < end; ++i) {
    list.insert(list.end(), arrays[i].packages.begin(), arrays[i].packages.end());
  }
  list.insert(list.end(), {0x04, 0x00, 0x00, 0xDF});
  return list;
}

void ResetGlobals() {
  gBootServices = nullptr;
  gDatabaseProtocol = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in(data, size);
  const UINT8 flags = in.Byte();
  const std::size_t guid_offset = in.Byte() % 8;
  std::vector<UINT8> guid_bytes = in.Bytes(16);
  guid_bytes.resize(16);  // zero-padded when the input ran out
  const ExactBlock guid(guid_bytes, guid_offset);
  Stub stub;
  stub.status = kStubStatuses[in.Choose(std::size(kStubStatuses))];
  stub.handle_choice = in.Byte() % 4;
  const UINT8 driver_choice = in.Byte();
  const std::size_t count = in.Byte() % (kMaxArrays + 1);
  const std::size_t end = std::min<std::size_t>(in.Byte(), count);  // the null entry's place

  std::vector<Array> arrays;
  for (std::size_t i = 0; i < count; ++i) {
    arrays.push_back(MakeArray(in));
  }
  std::vector<const UINT8 *> list;
  for (std::size_t i = 0; i < count; ++i) {
    // Arrays behind the null entry must not be touched at all.
    list.push_back(i < end ? arrays[i].block->data() : fuzz::FreedBlock(16));
  }
  if (end < count) {
    list[end] = nullptr;
  }

  sim::Platform platform;
  sim::HiiDatabase database(platform);
  fuzz::PoolWatch pool(platform, kPoolCap);
  const bool use_stub = (flags & kUseStub) != 0;
  stub.protocol.NewPackageList = StubNewPackageList;
  g_stub = &stub;
  gBootServices = platform.BootServices();
  gDatabaseProtocol = nullptr;
  if ((flags & kNoDatabase) == 0) {
    gDatabaseProtocol = use_stub ? &stub.protocol : database.DatabaseProtocol();
  }
  const EFI_HANDLE driver = ChooseDriverHandle(platform, driver_choice);
  const bool scribble = (flags & kScribble) != 0;
  if (flags & kFailAllocation) {
    platform.calls().FailNth("BS.AllocatePool", 1, EFI_OUT_OF_RESOURCES, scribble);
  }
  if (!use_stub && (flags & kFailDatabase)) {
    platform.calls().FailNth("HII.NewPackageList", 1, EFI_DEVICE_ERROR, scribble);
  }
  platform.calls().Clear();

  const bool through_template = (flags & kThroughTemplate) != 0 && count <= 4;
  const auto *list_guid = reinterpret_cast<const EFI_GUID *>(guid.data());
  EFI_HII_HANDLE result = nullptr;
  if (through_template) {
    result = CallTemplate(list_guid, driver, list, (flags & kNoNullArgument) == 0);
  } else {
    list.push_back(nullptr);
    result = RegisterPackageArrays(list_guid, driver, list.data());
  }
  g_stub = nullptr;

  const Expectation e = Expect(arrays, end, (flags & kNoDatabase) == 0);
  fuzz::Trace("arrays %zu (null at %zu), S %llu, refused %d, allocations %zu, result %s, %s\n", count, end,
              static_cast<unsigned long long>(e.packages), e.refused, pool.Requests().size(),
              result != nullptr ? "handle" : "null", use_stub ? "stub" : database.LastRejection().c_str());
  Require(platform.Violations().empty(), "the simulated platform saw a bad free or access");
  Require(platform.pool().LiveCount() == 0, "pool left allocated");
  if (e.refused) {
    Require(result == nullptr, "a refused call returned a handle");
    Require(pool.Requests().empty() && platform.calls().FaultableCalls() == 0 && stub.calls == 0,
            "a refused call allocated or called something");
    Require(database.Handles().empty(), "a refused call registered a list");
    ResetGlobals();
    return 0;
  }
  const UINT32 list_length = static_cast<UINT32>(e.packages + 24);
  Require(pool.Requests().size() == 1, "not exactly one allocation for the list");
  Require(pool.Requests()[0].size == list_length && pool.Requests()[0].type == EfiBootServicesData,
          "the list's allocation is not S + 24 bytes of boot-services data");
  const bool allocated = pool.Requests()[0].buffer != nullptr;
  Require(allocated || !e.truthful || (flags & kFailAllocation), "an allocation under the cap failed");
  const unsigned database_calls = use_stub ? stub.calls : platform.calls().CountOf("HII.NewPackageList");
  if (!allocated) {
    Require(result == nullptr, "a list without pool memory returned a handle");
    Require(database_calls == 0 && database.Handles().empty(), "the database was called without a list");
    Require(platform.calls().CountOf("BS.FreePool") == 0, "freed a list that was never allocated");
    ResetGlobals();
    return 0;
  }
  Require(e.truthful, "a list was allocated for arrays that claim more than they hold");
  Require(database_calls == 1, "NewPackageList not called exactly once");
  Require(platform.calls().CountOf("BS.FreePool") == 1, "the list is not freed exactly once");
  const std::vector<UINT8> expected = ExpectedList(guid_bytes.data(), arrays, end, list_length);

  if (use_stub) {
    Require(stub.self == &stub.protocol, "NewPackageList called without its own interface pointer");
    Require(stub.driver == driver, "NewPackageList got another driver handle");
    Require(stub.block_size == list_length, "the list handed over is not a pool block of S + 24 bytes");
    Require(stub.received == expected, "the list handed over is not header + packages + end package");
    Require(result == (EFI_ERROR(stub.status) ? nullptr : &stub.handle_object),
            "the result does not follow NewPackageList's status");
  } else {
    const std::vector<EFI_HII_HANDLE> held = database.Handles();
    Require((result == nullptr) == held.empty(), "a null result with a list registered, or a handle without one");
    if (result != nullptr) {
      Require(held.size() == 1 && held[0] == result, "the result is not the registered list's handle");
      Require(database.ReceivedBytes(result) == expected, "the registered list is not header + packages + end");
      Require(database.DriverHandleOf(result) == driver, "the list is registered for another driver handle");
    }
  }
  ResetGlobals();
  return 0;
}
