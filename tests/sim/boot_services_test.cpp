// SPDX-License-Identifier: BSD-2-Clause-Patent
// The simulated boot services behave as the UEFI specification says, so
// driver tests against them mean something.
#include <gtest/gtest.h>

#include "platform/device_path.h"
#include "platform/guids.h"
#include "sim/platform.h"

namespace {

constexpr EFI_GUID kGuidA = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
constexpr EFI_GUID kGuidB = {0x55555555, 0x6666, 0x7777, {8, 8, 8, 8, 8, 8, 8, 8}};

struct PathWithEnd {
  VENDOR_DEVICE_PATH vendor;
  EFI_DEVICE_PATH_PROTOCOL end;
};
const PathWithEnd kPath = {{{HARDWARE_DEVICE_PATH, HW_VENDOR_DP, {20, 0}}, PAGE_GUID},
                           {END_DEVICE_PATH_TYPE, END_ENTIRE_DEVICE_PATH_SUBTYPE, {4, 0}}};

class BootServicesTest : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(p_.pool().LiveCount(), 0u) << p_.pool().LeakReport(); }
  sim::Platform p_;
  EFI_BOOT_SERVICES *bs_ = p_.BootServices();
  int a_ = 0, b_ = 0;
};

TEST_F(BootServicesTest, InstallMultipleCreatesAHandleAndUninstallMultipleRemovesIt) {
  EFI_HANDLE handle = nullptr;
  ASSERT_EQ(bs_->InstallMultipleProtocolInterfaces(&handle, &kGuidA, &a_, &kGuidB, &b_, nullptr), EFI_SUCCESS);
  ASSERT_NE(handle, nullptr);
  void *found = nullptr;
  EXPECT_EQ(bs_->HandleProtocol(handle, &kGuidB, &found), EFI_SUCCESS);
  EXPECT_EQ(found, &b_);
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_SUCCESS);
  EXPECT_EQ(found, &a_);
  const size_t before = p_.handles().HandleCount();
  EXPECT_EQ(bs_->UninstallMultipleProtocolInterfaces(handle, &kGuidA, &a_, &kGuidB, &b_, nullptr), EFI_SUCCESS);
  EXPECT_EQ(p_.handles().HandleCount(), before - 1);
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_NOT_FOUND);
}

TEST_F(BootServicesTest, InstallMultipleIsAllOrNothing) {
  EFI_HANDLE handle = p_.Publish(kGuidB, &b_);
  // kGuidB is already on the handle: the whole call fails and kGuidA is not left behind.
  EXPECT_EQ(bs_->InstallMultipleProtocolInterfaces(&handle, &kGuidA, &a_, &kGuidB, &a_, nullptr),
            EFI_INVALID_PARAMETER);
  void *found = nullptr;
  EXPECT_EQ(bs_->HandleProtocol(handle, &kGuidA, &found), EFI_UNSUPPORTED);
  EXPECT_EQ(found, nullptr);
}

TEST_F(BootServicesTest, TheSameDevicePathCannotBeInstalledTwice) {
  EFI_HANDLE first = nullptr;
  EFI_HANDLE second = nullptr;
  ASSERT_EQ(bs_->InstallMultipleProtocolInterfaces(&first, &EFI_DEVICE_PATH_PROTOCOL_GUID, &kPath, nullptr),
            EFI_SUCCESS);
  PathWithEnd copy = kPath;
  EXPECT_EQ(bs_->InstallMultipleProtocolInterfaces(&second, &EFI_DEVICE_PATH_PROTOCOL_GUID, &copy, nullptr),
            EFI_ALREADY_STARTED);
  EXPECT_EQ(second, nullptr);
}

TEST_F(BootServicesTest, UninstallMultipleRestoresEverythingWhenOnePairIsWrong) {
  EFI_HANDLE handle = nullptr;
  ASSERT_EQ(bs_->InstallMultipleProtocolInterfaces(&handle, &kGuidA, &a_, &kGuidB, &b_, nullptr), EFI_SUCCESS);
  EXPECT_EQ(bs_->UninstallMultipleProtocolInterfaces(handle, &kGuidA, &a_, &kGuidB, &a_, nullptr),
            EFI_INVALID_PARAMETER);
  void *found = nullptr;
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_SUCCESS);
  EXPECT_EQ(found, &a_);
}

TEST_F(BootServicesTest, LocateHandleBufferReturnsMatchingHandlesInCreationOrderInPool) {
  EFI_HANDLE h1 = p_.Publish(kGuidA, &a_);
  p_.Publish(kGuidB, &b_);
  EFI_HANDLE h3 = p_.Publish(kGuidA, &b_);
  UINTN count = 0;
  EFI_HANDLE *buffer = nullptr;
  ASSERT_EQ(bs_->LocateHandleBuffer(ByProtocol, &kGuidA, nullptr, &count, &buffer), EFI_SUCCESS);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(buffer[0], h1);
  EXPECT_EQ(buffer[1], h3);
  EXPECT_EQ(p_.pool().SizeOf(buffer), 2 * sizeof(EFI_HANDLE));
  EXPECT_EQ(bs_->FreePool(buffer), EFI_SUCCESS);

  const EFI_GUID absent = {0xABCDEF, 1, 2, {3}};
  EXPECT_EQ(bs_->LocateHandleBuffer(ByProtocol, &absent, nullptr, &count, &buffer), EFI_NOT_FOUND);
  EXPECT_EQ(count, 0u);
}

TEST_F(BootServicesTest, HandleProtocolRejectsUnknownHandlesAndMissingProtocols) {
  EFI_HANDLE handle = p_.Publish(kGuidA, &a_);
  void *found = &a_;
  EXPECT_EQ(bs_->HandleProtocol(handle, &kGuidB, &found), EFI_UNSUPPORTED);
  EXPECT_EQ(found, nullptr);
  int not_a_handle = 0;
  EXPECT_EQ(bs_->HandleProtocol(&not_a_handle, &kGuidA, &found), EFI_INVALID_PARAMETER);
  EXPECT_EQ(bs_->HandleProtocol(handle, &kGuidA, nullptr), EFI_INVALID_PARAMETER);
}

TEST_F(BootServicesTest, PoolCatchesDoubleAndForeignFrees) {
  void *buffer = nullptr;
  ASSERT_EQ(bs_->AllocatePool(EfiBootServicesData, 10, &buffer), EFI_SUCCESS);
  EXPECT_EQ(static_cast<UINT8 *>(buffer)[0], sim::Pool::kFillPattern) << "pool memory is not zeroed for free";
  EXPECT_EQ(bs_->FreePool(buffer), EFI_SUCCESS);
  EXPECT_EQ(bs_->FreePool(buffer), EFI_INVALID_PARAMETER);
  int local = 0;
  EXPECT_EQ(bs_->FreePool(&local), EFI_INVALID_PARAMETER);
  ASSERT_EQ(p_.Violations().size(), 2u);
  EXPECT_NE(p_.Violations()[0].find("double free"), std::string::npos);
  EXPECT_NE(p_.Violations()[1].find("foreign"), std::string::npos);
}

TEST_F(BootServicesTest, FaultsHitTheNthCallOfOneServiceOrOfAll) {
  p_.calls().FailNth("BS.LocateProtocol", 2, EFI_DEVICE_ERROR, /*scribble=*/true);
  p_.Publish(kGuidA, &a_);
  void *found = nullptr;
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_SUCCESS);
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_DEVICE_ERROR);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(found), sim::kScribble);
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_SUCCESS);

  p_.calls().ClearFaults();
  p_.calls().FailNth("*", 2, EFI_OUT_OF_RESOURCES);
  void *buffer = nullptr;
  EXPECT_EQ(bs_->LocateProtocol(&kGuidA, nullptr, &found), EFI_SUCCESS);
  EXPECT_EQ(bs_->AllocatePool(EfiBootServicesData, 8, &buffer), EFI_OUT_OF_RESOURCES);
  EXPECT_EQ(p_.calls().InjectedFaults(), 2u);
}

}  // namespace
