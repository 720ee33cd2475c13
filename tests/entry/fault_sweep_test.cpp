// SPDX-License-Identifier: BSD-2-Clause-Patent
// Fault sweep over a whole start-up: every external call of a fault-free
// run (boot services, allocations included, HII, I2C, firmware versions)
// fails in turn, then every call of one service at once. Each run must end
// with the status the failed call calls for, show the rows it calls for,
// release all pool memory, and leave no device path behind when it fails.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/module_globals.h"
#include "tests/entry/entry_bed.h"

namespace entry_test {
namespace {

const EFI_STATUS kStatuses[] = {EFI_DEVICE_ERROR, EFI_OUT_OF_RESOURCES, EFI_NOT_FOUND};

// What failing one call does to the start-up.
enum class Effect {
  kNone,               // a release, or a protocol that is kept but never used
  kHiiMissing,         // the entry ends with EFI_NOT_FOUND
  kInstallFails,       // the entry ends with the failed call's status
  kRegistrationFails,  // the entry ends with EFI_OUT_OF_RESOURCES
  kMemoryMissing,      // the hardware rows stay blank
  kPdUnreadable,       // "PD Version" shows "Undefined"
  kFirmwareMissing,    // the firmware rows stay blank
  kComponentFails,     // the row shows "N/A"
  kRowNotSet,          // the row stays blank
};

struct Role {
  Effect effect = Effect::kNone;
  EFI_STRING_ID row = 0;
};

bool IsPdQueryService(const std::string &service) {
  return service == "BS.LocateHandleBuffer" || service == "BS.HandleProtocol" || service == "BS.AllocatePool" ||
         service == "I2C.StartRequest";
}

Effect LookUpEffect(const std::string &protocol) {
  if (protocol == "HiiString" || protocol == "HiiDatabase") {
    return Effect::kHiiMissing;
  }
  if (protocol == "MemoryInfo") {
    return Effect::kMemoryMissing;
  }
  if (protocol == "FirmwareVersion") {
    return Effect::kFirmwareMissing;
  }
  return Effect::kNone;
}

// The role of each call of a fault-free run, from its service and from how
// far the entry had got: each row update (from its first GetLanguages to
// its SetString) and each firmware-version call serve the row set next.
std::vector<Role> Roles(const std::vector<sim::CallRecord> &calls) {
  std::vector<EFI_STRING_ID> next_row(calls.size() + 1, 0);
  for (std::size_t i = calls.size(); i-- > 0;) {
    next_row[i] = calls[i].service == "HII.SetString"
                      ? static_cast<EFI_STRING_ID>(std::stoi(DetailField(calls[i].detail, "id")))
                      : next_row[i + 1];
  }
  enum class Stage { kLookUps, kRegistration, kRows } stage = Stage::kLookUps;
  bool in_update = false;
  std::vector<Role> roles;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    const std::string &service = calls[i].service;
    Role role;
    if (service == "BS.FreePool") {
      // The pool is released anyway and its status is never looked at.
    } else if (service == "BS.LocateProtocol") {
      role.effect = LookUpEffect(calls[i].detail);
    } else if (service == "BS.InstallMultipleProtocolInterfaces") {
      role.effect = Effect::kInstallFails;
      stage = Stage::kRegistration;
    } else if (stage == Stage::kRegistration) {
      role.effect = Effect::kRegistrationFails;
      stage = service == "HII.NewPackageList" ? Stage::kRows : stage;
    } else if (service == "HII.GetLanguages" || in_update) {
      role = {Effect::kRowNotSet, next_row[i]};
      in_update = service != "HII.SetString";
    } else if (service == "FW.GetComponentVersion") {
      role = {Effect::kComponentFails, next_row[i]};
    } else if (IsPdQueryService(service)) {
      role.effect = Effect::kPdUnreadable;
    } else {
      ADD_FAILURE() << "call " << i + 1 << " (" << service << ") has no known role";
    }
    roles.push_back(role);
  }
  return roles;
}

struct Outcome {
  EFI_STATUS status = EFI_SUCCESS;
  Rows rows;
};

// Applies one failed call to the expected outcome; false once the entry ends.
bool Apply(const Role &role, EFI_STATUS failed_with, Outcome &outcome) {
  switch (role.effect) {
    case Effect::kNone:
      return true;
    case Effect::kHiiMissing:
      outcome.status = EFI_NOT_FOUND;
      return false;
    case Effect::kInstallFails:
      outcome.status = failed_with;
      return false;
    case Effect::kRegistrationFails:
      outcome.status = EFI_OUT_OF_RESOURCES;
      return false;
    case Effect::kMemoryMissing:
      for (EFI_STRING_ID id : kHardwareRows) {
        outcome.rows[id] = kBlank;
      }
      return true;
    case Effect::kPdUnreadable:
      outcome.rows[STRING_PD_VERSION_VALUE] = "Undefined";
      return true;
    case Effect::kFirmwareMissing:
      for (const ComponentRow &c : kComponentRows) {
        outcome.rows[c.row] = kBlank;
      }
      return true;
    case Effect::kComponentFails:
      outcome.rows[role.row] = "N/A";
      return true;
    case Effect::kRowNotSet:
      outcome.rows[role.row] = kBlank;
      return true;
  }
  return true;
}

void ExpectOutcome(sim::SimulatedBoard &board, const Outcome &expected) {
  EXPECT_EQ(board.RunDriverEntry(), expected.status);
  EXPECT_EQ(Problems(board), "");
  for (const void *pointer : {static_cast<const void *>(gStringProtocol), static_cast<const void *>(gDatabaseProtocol),
                              static_cast<const void *>(gConfigRoutingProtocol),
                              static_cast<const void *>(gFontProtocol), static_cast<const void *>(gImageProtocol)}) {
    EXPECT_NE(reinterpret_cast<std::uintptr_t>(pointer), sim::kScribble) << "a failed look-up's output was kept";
  }
  if (expected.status == EFI_SUCCESS) {
    EXPECT_TRUE(board.PageDevicePathInstalled());
    EXPECT_EQ(ValueRows(board), expected.rows);
  } else {
    EXPECT_FALSE(board.PageDevicePathInstalled());
    EXPECT_EQ(board.PageHandle(), nullptr);
  }
}

class FaultSweep : public testing::Test {
 protected:
  void SetUp() override {
    sim::SimulatedBoard board;
    ASSERT_EQ(board.RunDriverEntry(), EFI_SUCCESS);
    calls_ = board.platform.calls().Records();
    ASSERT_EQ(calls_.size(), board.platform.calls().FaultableCalls());
    clean_ = ValueRows(board);
    roles_ = Roles(calls_);
  }

  std::vector<sim::CallRecord> calls_;
  std::vector<Role> roles_;
  Rows clean_;
};

TEST_F(FaultSweep, EachCallFailingInTurn) {
  std::size_t cases = 0;
  for (std::size_t n = 1; n <= calls_.size(); ++n) {
    for (EFI_STATUS status : kStatuses) {
      for (bool scribble : {false, true}) {
        const sim::CallRecord &call = calls_[n - 1];
        SCOPED_TRACE(testing::Message() << "call " << n << " " << call.service << " " << call.detail << ", status "
                                        << std::hex << status << (scribble ? ", scribbled" : ""));
        Outcome expected{EFI_SUCCESS, clean_};
        Apply(roles_[n - 1], status, expected);
        sim::SimulatedBoard board;
        board.platform.calls().FailNth("*", n, status, scribble);
        ExpectOutcome(board, expected);
        const std::vector<sim::CallRecord> &seen = board.platform.calls().Records();
        ASSERT_GE(seen.size(), n);
        EXPECT_TRUE(seen[n - 1].injected && seen[n - 1].service == call.service) << "the fault hit another call";
        ++cases;
      }
    }
  }
  RecordProperty("cases", static_cast<int>(cases));
  std::printf("fault sweep: %zu calls, %zu cases\n", calls_.size(), cases);
}

TEST_F(FaultSweep, EveryCallOfOneServiceFailing) {
  std::vector<std::string> services;
  for (const sim::CallRecord &call : calls_) {
    if (std::find(services.begin(), services.end(), call.service) == services.end()) {
      services.push_back(call.service);
    }
  }
  std::size_t cases = 0;
  for (const std::string &service : services) {
    for (EFI_STATUS status : kStatuses) {
      for (bool scribble : {false, true}) {
        SCOPED_TRACE(testing::Message() << "every " << service << ", status " << std::hex << status
                                        << (scribble ? ", scribbled" : ""));
        Outcome expected{EFI_SUCCESS, clean_};
        for (std::size_t i = 0; i < calls_.size(); ++i) {
          if (calls_[i].service == service && !Apply(roles_[i], status, expected)) {
            break;
          }
        }
        sim::SimulatedBoard board;
        board.platform.calls().FailAlways(service, status, scribble);
        ExpectOutcome(board, expected);
        ++cases;
      }
    }
  }
  RecordProperty("cases", static_cast<int>(cases));
  std::printf("fault sweep: %zu services, %zu cases\n", services.size(), cases);
}

}  // namespace
}  // namespace entry_test
