// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tests/hii/hii_bed.h"

#include "hii/package_list.h"
#include "hii/page_packages.h"
#include "platform/guids.h"

namespace hii_test {

HiiBed::HiiBed() {
  device_path.vendor.Header = {HARDWARE_DEVICE_PATH, HW_VENDOR_DP, {sizeof(VENDOR_DEVICE_PATH), 0}};
  device_path.vendor.Guid = PAGE_GUID;
  device_path.end = {END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, {4, 0}};
  driver_handle = platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, &device_path);
  database.Publish();
  gBootServices = platform.BootServices();
  gSystemTable = platform.SystemTable();
  gDatabaseProtocol = database.DatabaseProtocol();
  gStringProtocol = database.StringProtocol();
}

HiiBed::~HiiBed() {
  EXPECT_EQ(platform.pool().LiveCount(), 0u) << platform.pool().LeakReport();
  EXPECT_TRUE(platform.Violations().empty()) << ::testing::PrintToString(platform.Violations());
  gBootServices = nullptr;
  gSystemTable = nullptr;
  gDatabaseProtocol = nullptr;
  gStringProtocol = nullptr;
}

EFI_HII_HANDLE HiiBed::RegisterPage() {
  EFI_HII_HANDLE handle = RegisterPagePackages(&PAGE_GUID, driver_handle, mPageStringPackage, mPageFormPackage, NULL);
  EXPECT_NE(handle, nullptr) << database.LastRejection();
  return handle;
}

std::vector<std::string> HiiBed::Calls(const std::string &prefix) {
  std::vector<std::string> names;
  for (const sim::CallRecord &call : platform.calls().Records()) {
    if (call.service.rfind(prefix, 0) == 0) {
      names.push_back(call.service);
    }
  }
  return names;
}

std::vector<std::string> HiiBed::Details(const std::string &service) {
  std::vector<std::string> details;
  for (const sim::CallRecord &call : platform.calls().Records()) {
    if (call.service == service) {
      details.push_back(call.detail);
    }
  }
  return details;
}

std::string DetailField(const std::string &detail, const std::string &key) {
  const std::string marker = key + "=";
  size_t at = detail.rfind(marker, 0) == 0 ? 0 : detail.find(" " + marker);
  if (at == std::string::npos) {
    return {};
  }
  at += marker.size() + (at == 0 ? 0 : 1);
  return detail.substr(at, detail.find(' ', at) - at);
}

UINT32 Le32(const UINT8 *bytes) { return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (UINT32{bytes[3]} << 24); }
UINT16 Le16(const UINT8 *bytes) { return static_cast<UINT16>(bytes[0] | (bytes[1] << 8)); }

}  // namespace hii_test
