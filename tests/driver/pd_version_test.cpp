// SPDX-License-Identifier: BSD-2-Clause-Patent
// The PD controller query on a simulated board: the bus search, the exact
// I2C exchange, the version record, every failure, and the pool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/pd_version.h"
#include "platform/guids.h"
#include "platform/module_globals.h"
#include "sim/i2c_master_model.h"
#include "sim/pd_controller_model.h"
#include "sim/platform.h"

namespace {

using sim::I2cBusDevicePath;
using sim::VendorDevicePath;
using Bytes = std::vector<UINT8>;

constexpr PD_VERSION kUntouched = {0xEEEE, 0xEE, 0xEE, 0xEEEE, 0xEE, 0xEE};

bool operator==(const PD_VERSION &a, const PD_VERSION &b) {
  return a.BootMajor == b.BootMajor && a.BootMinor == b.BootMinor && a.BootPatch == b.BootPatch &&
         a.AppMajor == b.AppMajor && a.AppMinor == b.AppMinor && a.AppPatch == b.AppPatch;
}

PD_VERSION Expected(const sim::PdFirmwareVersions &v) {
  return PD_VERSION{v.boot_major, v.boot_minor, v.boot_patch, v.app_major, v.app_minor, v.app_patch};
}

// A simulated board with any number of I2C buses, each with a PD
// controller whose boot major number is 100 + the bus's index.
struct Board {
  explicit Board(const std::vector<Bytes> &paths = {I2cBusDevicePath(7)}) {
    gBootServices = platform.BootServices();
    for (const Bytes &path : paths) {
      AddBus(path, true);
    }
  }
  ~Board() { gBootServices = nullptr; }

  sim::I2cMasterModel &AddBus(const Bytes &path, bool with_path) {
    buses.push_back(std::make_unique<sim::I2cMasterModel>());
    pds.push_back(std::make_unique<sim::PdControllerModel>());
    pds.back()->versions.boot_major = static_cast<UINT16>(100 + pds.size() - 1);
    pds.back()->AttachTo(*buses.back());
    buses.back()->Publish(platform, path, with_path);
    return *buses.back();
  }

  // Runs the query and checks what every run must leave behind.
  EFI_STATUS Query(PD_VERSION &version) {
    version = kUntouched;
    const EFI_STATUS status = QueryPdVersion(&version);
    EXPECT_EQ(platform.pool().LiveCount(), 0u) << platform.pool().LeakReport();
    EXPECT_TRUE(platform.Violations().empty());
    for (const auto &bus : buses) {
      EXPECT_TRUE(bus->Violations().empty()) << bus->Violations().front();
    }
    for (const auto &pd : pds) {
      EXPECT_TRUE(pd->ProtocolErrors().empty()) << pd->ProtocolErrors().front();
    }
    if (EFI_ERROR(status)) {
      EXPECT_TRUE(version == kUntouched) << "a failed query leaves the version alone";
    }
    return status;
  }

  std::vector<std::string> Services() {
    std::vector<std::string> names;
    for (const sim::CallRecord &call : platform.calls().Records()) {
      names.push_back(call.service);
    }
    return names;
  }

  sim::Platform platform;
  std::vector<std::unique_ptr<sim::I2cMasterModel>> buses;
  std::vector<std::unique_ptr<sim::PdControllerModel>> pds;
};

TEST(PdVersionQuery, SendsExactlyTheThreeRequestsEachInItsOwnPoolPacket) {
  Board board;
  PD_VERSION version;
  ASSERT_EQ(board.Query(version), EFI_SUCCESS);

  const sim::PdControllerModel &pd = *board.pds[0];
  const auto reply = pd.VersionReply();
  struct Request {
    std::size_t packet_size;
    std::vector<sim::I2cOperationRecord> operations;
  };
  const Request expected[] = {
      {24, {{0, 5, {0x3A, 0x03, 0x00, 0x00, 0x00}}}},
      {24, {{I2C_FLAG_READ, 1, {0x4B}}}},
      {40, {{0, 1, {0x80}}, {I2C_FLAG_READ, 11, Bytes(reply.begin(), reply.end())}}},
  };
  const auto &requests = board.buses[0]->Requests();
  ASSERT_EQ(requests.size(), std::size(expected));
  for (std::size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(requests[i].slave_address, 0x72u);
    EXPECT_TRUE(requests[i].event_null);
    EXPECT_TRUE(requests[i].status_null);
    EXPECT_EQ(requests[i].operation_count, expected[i].operations.size());
    EXPECT_EQ(requests[i].packet_pool_size, expected[i].packet_size);
    EXPECT_EQ(requests[i].live_pool_blocks, 1u) << "only the packet itself is live during a request";
    EXPECT_EQ(requests[i].operations, expected[i].operations);
  }
  // Each packet is allocated right before its request and freed right after.
  const std::vector<std::string> services = {
      "BS.LocateHandleBuffer", "BS.HandleProtocol", "BS.FreePool",     "BS.HandleProtocol", "BS.AllocatePool",
      "I2C.StartRequest",      "BS.FreePool",       "BS.AllocatePool", "I2C.StartRequest",  "BS.FreePool",
      "BS.AllocatePool",       "I2C.StartRequest",  "BS.FreePool"};
  EXPECT_EQ(board.Services(), services);
}

TEST(PdVersionQuery, VersionFieldsComeFromTheirReplyBytes) {
  const sim::PdFirmwareVersions configured[] = {
      {1, 2, 3, 4, 5, 6}, {0, 0, 0, 0, 0, 0}, {0xFFFF, 0xFF, 0xFF, 0xFFFF, 0xFF, 0xFF}, {0x1234, 9, 8, 0xABCD, 7, 6}};
  for (const sim::PdFirmwareVersions &v : configured) {
    Board board;
    board.pds[0]->versions = v;
    PD_VERSION version;
    ASSERT_EQ(board.Query(version), EFI_SUCCESS);
    EXPECT_TRUE(version == Expected(v)) << v.boot_major << " " << v.app_major;
  }
  // Raw records: bytes 5..6 and 9..10 are little-endian major numbers.
  struct Raw {
    sim::PdControllerModel::Reply reply;
    PD_VERSION version;
  };
  const Raw raws[] = {
      {{11, 0xFF, 0xFF, 3, 4, 0x02, 0x01, 7, 8, 0x34, 0x12}, {258, 4, 3, 0x1234, 8, 7}},
      {{11, 0, 0, 0, 0, 0x01, 0x02, 0, 0, 0x00, 0x80}, {0x0201, 0, 0, 0x8000, 0, 0}},
  };
  for (const Raw &raw : raws) {
    Board board;
    board.pds[0]->raw_reply = raw.reply;
    PD_VERSION version;
    ASSERT_EQ(board.Query(version), EFI_SUCCESS);
    EXPECT_TRUE(version == raw.version) << version.BootMajor << " " << version.AppMajor;
  }
}

TEST(PdVersionQuery, EveryBadAnswerFailsTheQueryAtOnce) {
  struct Case {
    const char *name;
    std::function<void(Board &)> scene;
    std::size_t requests;  // requests sent before the query gives up
  };
  const Case cases[] = {
      {"no controller on the bus", [](Board &b) { b.buses[0]->Detach(0x72); }, 1},
      {"first request NACKed", [](Board &b) { b.pds[0]->nack_request = 1; }, 1},
      {"second request NACKed", [](Board &b) { b.pds[0]->nack_request = 2; }, 2},
      {"third request NACKed", [](Board &b) { b.pds[0]->nack_request = 3; }, 3},
      {"status 0xCB (bits 7..6 wrong)", [](Board &b) { b.pds[0]->status_byte = 0xCB; }, 2},
      {"status 0x0B (bits 7..6 wrong)", [](Board &b) { b.pds[0]->status_byte = 0x0B; }, 2},
      {"status 0x4A (bits 5..0 wrong)", [](Board &b) { b.pds[0]->status_byte = 0x4A; }, 2},
      {"status 0x5B (bit 4 set)", [](Board &b) { b.pds[0]->status_byte = 0x5B; }, 2},
      {"status 0x6B (bit 5 set)", [](Board &b) { b.pds[0]->status_byte = 0x6B; }, 2},
      {"status 0x8B (bits 7..6 swapped)", [](Board &b) { b.pds[0]->status_byte = 0x8B; }, 2},
      {"status 0x00", [](Board &b) { b.pds[0]->status_byte = 0x00; }, 2},
      {"reply length 10", [](Board &b) { b.pds[0]->reply_length_byte = 10; }, 3},
      {"reply length 12", [](Board &b) { b.pds[0]->reply_length_byte = 12; }, 3},
      {"reply length 0", [](Board &b) { b.pds[0]->reply_length_byte = 0; }, 3},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Board board;
    c.scene(board);
    PD_VERSION version;
    EXPECT_TRUE(EFI_ERROR(board.Query(version)));
    EXPECT_EQ(board.buses[0]->Requests().size(), c.requests);
  }
}

TEST(PdVersionQuery, TheFirstHandleWhosePathNamesBusSevenIsUsed) {
  const Bytes good = I2cBusDevicePath(7);
  Bytes wrong_guid_end = good, wrong_guid_start = good, wrong_type = good, wrong_subtype = good;
  wrong_guid_end[19] ^= 1;
  wrong_guid_start[4] ^= 0x80;
  wrong_type[0] = 0x02;
  wrong_subtype[1] = 0x05;
  const Bytes nine_bytes_data = {0, 1, 2, 3, 4, 5, 6, 7, 7};
  const Bytes eight_bytes_data = {0, 1, 2, 3, 4, 5, 6, 7};
  const Bytes absent;  // no device path on the handle
  const Bytes null_path = {};

  struct Path {
    Bytes bytes;
    bool installed = true;
  };
  struct Case {
    const char *name;
    std::vector<Path> handles;
    int used;  // index of the bus that must answer, -1: none
  };
  const Case cases[] = {
      {"the board's bus", {{good}}, 0},
      {"bus number 6", {{I2cBusDevicePath(6)}}, -1},
      {"GUID differs in its last byte", {{wrong_guid_end}}, -1},
      {"GUID differs in its first byte", {{wrong_guid_start}}, -1},
      {"not a hardware node", {{wrong_type}}, -1},
      {"not a vendor node", {{wrong_subtype}}, -1},
      {"node of exactly 29 bytes", {{VendorDevicePath(I2C_BUS_VENDOR_GUID, nine_bytes_data)}}, 0},
      {"node of 28 bytes, nothing after it", {{VendorDevicePath(I2C_BUS_VENDOR_GUID, eight_bytes_data, false)}}, -1},
      {"vendor node without data, then end", {{VendorDevicePath(I2C_BUS_VENDOR_GUID, {})}}, -1},
      {"Length 28 although byte 28 holds 7", {{VendorDevicePath(I2C_BUS_VENDOR_GUID, nine_bytes_data, true, 28)}}, -1},
      {"header only", {{{0x01, 0x04, 0x04, 0x00}}}, -1},
      {"end node only", {{{0x7F, 0xFF, 0x04, 0x00}}}, -1},
      {"no device path", {{absent, false}}, -1},
      {"NULL device path", {{null_path}}, -1},
      {"two matching: the first", {{good}, {good}}, 0},
      {"bus 6 then bus 7", {{I2cBusDevicePath(6)}, {good}}, 1},
      {"no path, short node, then bus 7", {{absent, false}, {{0x01, 0x04, 0x14, 0x00}}, {good}}, 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Board board(std::vector<Bytes>{});
    for (const Path &path : c.handles) {
      board.AddBus(path.bytes, path.installed);
    }
    PD_VERSION version;
    const EFI_STATUS status = board.Query(version);
    EXPECT_EQ(status, c.used < 0 ? EFI_NOT_FOUND : EFI_SUCCESS);
    for (std::size_t i = 0; i < board.buses.size(); ++i) {
      EXPECT_EQ(board.buses[i]->Requests().size(), static_cast<int>(i) == c.used ? 3u : 0u) << "bus " << i;
    }
    if (c.used >= 0) {
      EXPECT_EQ(version.BootMajor, 100 + c.used);
    }
  }
}

TEST(PdVersionQuery, MissingOrBrokenBusesFailWithoutRequests) {
  {
    Board board(std::vector<Bytes>{});
    PD_VERSION version;
    EXPECT_TRUE(EFI_ERROR(board.Query(version))) << "no I2C master at all";
    EXPECT_EQ(board.platform.calls().CountOf("BS.AllocatePool"), 0u);
  }
  {
    Board board(std::vector<Bytes>{});
    EFI_HANDLE handle = board.platform.Publish(EFI_I2C_MASTER_PROTOCOL_GUID, nullptr);
    const Bytes path = I2cBusDevicePath(7);
    board.platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, const_cast<UINT8 *>(path.data()), handle);
    PD_VERSION version;
    EXPECT_EQ(board.Query(version), EFI_NOT_FOUND) << "matching handle with a NULL I2C master";
  }
  {
    Board board;
    EXPECT_EQ(QueryPdVersion(nullptr), EFI_INVALID_PARAMETER);
    EXPECT_EQ(board.platform.calls().FaultableCalls(), 0u);
  }
}

TEST(PdVersionQuery, EachCallAsksTheControllerAgain) {
  Board board;
  PD_VERSION version;
  ASSERT_EQ(board.Query(version), EFI_SUCCESS);
  board.pds[0]->versions.app_minor = 42;
  ASSERT_EQ(board.Query(version), EFI_SUCCESS);
  EXPECT_EQ(version.AppMinor, 42);
  EXPECT_EQ(board.buses[0]->Requests().size(), 6u);
}

// Fails each service call of a good query in turn, with and without garbage
// in its outputs. Pool frees may fail unnoticed; an allocation failure ends
// with EFI_OUT_OF_RESOURCES before the next request; any other failure ends
// the query. After a failure only frees follow.
TEST(PdVersionQuery, EveryServiceFailureIsHandled) {
  std::vector<std::string> baseline;
  {
    Board board;
    PD_VERSION version;
    ASSERT_EQ(board.Query(version), EFI_SUCCESS);
    baseline = board.Services();
  }
  for (const char *service : {"BS.LocateHandleBuffer", "BS.HandleProtocol", "BS.AllocatePool", "I2C.StartRequest"}) {
    EXPECT_NE(std::find(baseline.begin(), baseline.end(), service), baseline.end()) << service;
  }
  for (std::size_t k = 1; k <= baseline.size(); ++k) {
    for (bool scribble : {false, true}) {
      const std::string &failed = baseline[k - 1];
      SCOPED_TRACE(testing::Message() << "call " << k << " " << failed << " scribble " << scribble);
      Board board;
      board.platform.calls().FailNth("*", k, EFI_DEVICE_ERROR, scribble);
      PD_VERSION version;
      const EFI_STATUS status = board.Query(version);
      const auto &records = board.platform.calls().Records();
      ASSERT_GE(records.size(), k);
      if (failed == "BS.FreePool") {
        EXPECT_EQ(status, EFI_SUCCESS);
        EXPECT_TRUE(version == Expected(board.pds[0]->versions));
        continue;
      }
      EXPECT_TRUE(EFI_ERROR(status));
      if (failed == "BS.AllocatePool") {
        EXPECT_EQ(status, EFI_OUT_OF_RESOURCES);
      }
      for (std::size_t i = k; i < records.size(); ++i) {
        EXPECT_EQ(records[i].service, "BS.FreePool") << "call " << i + 1 << " after the failure";
      }
    }
  }
}

TEST(PdVersionQuery, AHandleWhosePathCannotBeFetchedIsPassedOver) {
  Board board({I2cBusDevicePath(7), I2cBusDevicePath(7)});
  board.platform.calls().FailNth("BS.HandleProtocol", 1, EFI_DEVICE_ERROR, /*scribble=*/true);
  PD_VERSION version;
  ASSERT_EQ(board.Query(version), EFI_SUCCESS);
  EXPECT_EQ(version.BootMajor, 101);
  EXPECT_TRUE(board.buses[0]->Requests().empty());
}

// A service that reports success (or a warning) without doing its work: no
// handle buffer, no device path, no I2C master, no pool block, a read that
// delivered nothing. Each such call ends the query with the failure its
// missing output leads to, never with a version. A freed packet needs
// nothing back. The status command's write is left out: a write that
// claims to have happened cannot be told from one that did.
TEST(PdVersionQuery, SuccessWithoutTheOutputIsNoVersion) {
  struct Case {
    const char *service;
    std::uint64_t nth;  // which call of that service
    EFI_STATUS result;
  };
  const Case cases[] = {
      {"BS.LocateHandleBuffer", 1, EFI_NOT_FOUND},   // no handles
      {"BS.HandleProtocol", 1, EFI_NOT_FOUND},       // no device path: the bus is passed over
      {"BS.HandleProtocol", 2, EFI_NOT_FOUND},       // no I2C master on the bus's handle
      {"BS.AllocatePool", 1, EFI_OUT_OF_RESOURCES},  // status command packet
      {"BS.AllocatePool", 2, EFI_OUT_OF_RESOURCES},  // status read packet
      {"BS.AllocatePool", 3, EFI_OUT_OF_RESOURCES},  // version read packet
      {"I2C.StartRequest", 2, EFI_DEVICE_ERROR},     // status byte never read
      {"I2C.StartRequest", 3, EFI_DEVICE_ERROR},     // version record never read
      {"BS.FreePool", 1, EFI_SUCCESS},
      {"BS.FreePool", 4, EFI_SUCCESS},
  };
  for (const Case &c : cases) {
    for (EFI_STATUS reported : {EFI_SUCCESS, EFI_WARN_STALE_DATA}) {
      SCOPED_TRACE(testing::Message() << c.service << " call " << c.nth << " reports " << reported);
      Board board;
      board.platform.calls().FailNth(c.service, c.nth, reported);
      PD_VERSION version;
      EXPECT_EQ(board.Query(version), c.result);
      EXPECT_EQ(board.platform.calls().InjectedFaults(), 1u) << "the chosen call was made";
      if (c.result == EFI_SUCCESS) {
        EXPECT_TRUE(version == Expected(board.pds[0]->versions));
      }
    }
  }
}

}  // namespace
