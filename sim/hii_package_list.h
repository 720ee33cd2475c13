// SPDX-License-Identifier: BSD-2-Clause-Patent
// Package lists as the simulated HII database receives and exports them:
// EFI_HII_PACKAGE_LIST_HEADER, packages back to back, end package.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "sim/hii_string_store.h"

namespace sim {

struct HiiPackage {
  UINT8 type = 0;
  std::vector<UINT8> bytes;              // the whole package as received (header included)
  std::optional<StringPackage> strings;  // string packages: the live, editable form
};

struct PackageList {
  EFI_GUID guid{};
  std::vector<HiiPackage> packages;  // in list order, without the end package
};

// Validates and copies the list at `list`, reading only its PackageLength
// bytes: the header, every package header's length against the list, the
// end package (length 4, last, nothing after it), string packages in full
// and string languages unique within the list. On failure `why` says what
// was wrong.
std::optional<PackageList> ParsePackageList(const UINT8 *list, std::string *why);

// The bytes of one package; string packages are serialised from their
// current strings.
std::vector<UINT8> SerializePackage(const HiiPackage &package);

// The whole list with its header and end package.
std::vector<UINT8> SerializePackageList(const PackageList &list);

}  // namespace sim
