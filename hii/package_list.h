// SPDX-License-Identifier: BSD-2-Clause-Patent
// Registration of package arrays as one HII package list on the driver's
// handle. The list exists only during the call: the HII database keeps its
// own copy.
#pragma once

#include "platform/types.h"

// Wraps the arrays of the null-terminated list Arrays into one package list
// under PackageListGuid (their packages back to back, in list order, then
// the end package), registers it with NewPackageList for DriverHandle and
// returns the HII handle. Null when nothing was registered: no arrays or
// only empty ones, an array whose length field is below 4, a list that
// would not fit a 32-bit length, no pool memory, no HII database protocol,
// or a failed NewPackageList.
EFI_HII_HANDLE RegisterPackageArrays(const EFI_GUID *PackageListGuid, EFI_HANDLE DriverHandle,
                                     const UINT8 *const *Arrays);

// One argument of RegisterPagePackages as a list entry: a package array, or
// NULL / nullptr ending the list.
template <typename A>
constexpr const UINT8 *PackageArrayArgument(A Argument) {
  if constexpr (__is_same(A, decltype(nullptr)) || __is_same(A, decltype(NULL))) {
    return nullptr;
  } else {
    return static_cast<const UINT8 *>(Argument);
  }
}

// RegisterPagePackages(&Guid, Handle, Array1, Array2, ..., NULL). The
// caller ends the arrays with NULL; one more null entry is appended so a
// missing terminator cannot run the walk off the list.
template <typename... A>
EFI_HII_HANDLE RegisterPagePackages(const EFI_GUID *PackageListGuid, EFI_HANDLE DriverHandle, A... Arrays) {
  const UINT8 *const List[] = {PackageArrayArgument(Arrays)..., nullptr};
  return RegisterPackageArrays(PackageListGuid, DriverHandle, List);
}
