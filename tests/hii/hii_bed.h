// SPDX-License-Identifier: BSD-2-Clause-Patent
// Test bed for the HII glue: a simulated platform with the simulated HII
// database published, the module-wide pointers aimed at them, and on
// teardown the checks every test owes: no pool left behind, no platform
// violations.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device_path.h"
#include "platform/module_globals.h"
#include "sim/hii_database.h"
#include "sim/platform.h"

namespace hii_test {

// A vendor device path with the page GUID and the end node, as the driver
// installs on its handle.
struct PageDevicePath {
  VENDOR_DEVICE_PATH vendor;
  EFI_DEVICE_PATH_PROTOCOL end;
};

class HiiBed {
 public:
  HiiBed();
  ~HiiBed();
  HiiBed(const HiiBed &) = delete;
  HiiBed &operator=(const HiiBed &) = delete;

  sim::Platform platform;
  sim::HiiDatabase database{platform};
  PageDevicePath device_path{};
  EFI_HANDLE driver_handle = nullptr;  // carries device_path

  // The page registered the way the entry does it; fails the test if not.
  EFI_HII_HANDLE RegisterPage();

  // Services of the call log, in order, whose names begin with `prefix`.
  std::vector<std::string> Calls(const std::string &prefix);
  // Details of the calls to `service`, in order.
  std::vector<std::string> Details(const std::string &service);
};

// The value of `key=` in a trace detail ("id=36 lang=en-US ..." -> "en-US").
std::string DetailField(const std::string &detail, const std::string &key);

// The bytes of a carried package array.
template <size_t N>
std::vector<UINT8> Bytes(const UINT8 (&array)[N]) {
  return std::vector<UINT8>(array, array + N);
}

UINT32 Le32(const UINT8 *bytes);
UINT16 Le16(const UINT8 *bytes);

}  // namespace hii_test
