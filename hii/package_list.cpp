// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "hii/package_list.h"

#include "platform/hii.h"
#include "platform/module_globals.h"
#include "text/memory_ops.h"
#include "text/pool.h"
#include "text/unaligned.h"

namespace {

constexpr UINT32 LENGTH_FIELD_SIZE = 4;
constexpr UINT32 LIST_HEADER_SIZE = sizeof(EFI_HII_PACKAGE_LIST_HEADER);  // 20
constexpr UINT8 END_PACKAGE[4] = {0x04, 0x00, 0x00, EFI_HII_PACKAGE_END};
constexpr UINT64 MAX_LIST_LENGTH = 0xFFFFFFFFu;

// Total package bytes S of the arrays, or false when an array's length
// field is below its own size or the whole list (S plus list header and
// end package) would not fit in 32 bits. Nothing past a length field is
// read here, so a bad length is caught before any copying.
bool SumPackageBytes(const UINT8 *const *Arrays, UINT32 *Total) {
  UINT64 Sum = 0;
  for (UINTN Index = 0; Arrays[Index] != nullptr; ++Index) {
    const UINT32 Length = ReadLe32(Arrays[Index]);
    if (Length < LENGTH_FIELD_SIZE) {
      return false;
    }
    Sum += Length - LENGTH_FIELD_SIZE;
    if (Sum + LIST_HEADER_SIZE + sizeof(END_PACKAGE) > MAX_LIST_LENGTH) {
      return false;
    }
  }
  *Total = static_cast<UINT32>(Sum);
  return true;
}

// Header, every array's package bytes back to back, end package.
void FillPackageList(UINT8 *List, const EFI_GUID *PackageListGuid, UINT32 ListLength, const UINT8 *const *Arrays) {
  WriteGuid(List, PackageListGuid);
  for (UINTN Byte = 0; Byte < 4; ++Byte) {
    List[16 + Byte] = static_cast<UINT8>(ListLength >> (8 * Byte));
  }
  UINT8 *Position = List + LIST_HEADER_SIZE;
  for (UINTN Index = 0; Arrays[Index] != nullptr; ++Index) {
    const UINT32 Count = ReadLe32(Arrays[Index]) - LENGTH_FIELD_SIZE;
    CopyBytes(Position, Arrays[Index] + LENGTH_FIELD_SIZE, Count);
    Position += Count;
  }
  CopyBytes(Position, END_PACKAGE, sizeof(END_PACKAGE));
}

}  // namespace

EFI_HII_HANDLE RegisterPackageArrays(const EFI_GUID *PackageListGuid, EFI_HANDLE DriverHandle,
                                     const UINT8 *const *Arrays) {
  EFI_HII_DATABASE_PROTOCOL *Database = gDatabaseProtocol;
  UINT32 Packages = 0;
  if (Database == nullptr || Arrays == nullptr || !SumPackageBytes(Arrays, &Packages) || Packages == 0) {
    return nullptr;
  }
  const UINT32 ListLength = Packages + LIST_HEADER_SIZE + sizeof(END_PACKAGE);
  auto *List = static_cast<UINT8 *>(AllocateZeroed(ListLength));
  if (List == nullptr) {
    return nullptr;
  }
  FillPackageList(List, PackageListGuid, ListLength, Arrays);

  EFI_HII_HANDLE Handle = nullptr;
  const EFI_STATUS Status = Database->NewPackageList(
      Database, reinterpret_cast<const EFI_HII_PACKAGE_LIST_HEADER *>(List), DriverHandle, &Handle);
  if (EFI_ERROR(Status)) {
    Handle = nullptr;  // whatever the database left there
  }
  FreeBuffer(List);
  return Handle;
}
