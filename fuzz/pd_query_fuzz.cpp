// SPDX-License-Identifier: BSD-2-Clause-Patent
// QueryPdVersion against arbitrary I2C master handles: a scripted
// LocateHandleBuffer hands out any list (published handles in any order,
// repeats, handles the database does not know), each handle carries any
// device path (any length, any bytes, each in an exactly-sized heap block
// at any alignment, or a NULL interface), and the handles' scripted I2C
// masters answer each request with a chosen status and chosen read bytes.
// Boot-service faults come from the simulated platform's fault plan.
//
// Checks, for every call:
// - success exactly when a model finds the bus and the exchange matches:
//   the first listed handle whose path starts with a vendor hardware node
//   (01 04) long enough to hold byte 28, with the I2C bus GUID at bytes
//   4..19 and 7 in byte 28; its master; status byte 0x4B; reply byte 0
//   equal to 11; every request and service successful;
// - on success the six fields are the reply's bytes; on failure the
//   version record is untouched;
// - every request goes to the found handle's master, slave 0x72, no event,
//   no status pointer, in a pool packet of 24 (one operation) or 40 (two)
//   bytes: write 3A 03 00 00 00, read 1, then write 80 + read 11; the
//   requests stop at the first failure;
// - HandleProtocol is called once per handle up to the match, then once
//   for the master; nothing is read outside a device path (AddressSanitizer);
// - the handle buffer and every packet are freed; no pool is left behind.
//
// Input: flags, LocateHandleBuffer's status, the published handles (count,
// then per handle a kind byte and its device-path bytes), the handle list
// (count, then one byte per entry), the HandleProtocol and AllocatePool
// calls to fail, three request statuses and the 12 bytes the reads return.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "driver/pd_version.h"
#include "fuzz/exact_block.h"
#include "fuzz/fuzz_input.h"
#include "platform/guids.h"
#include "platform/i2c_master.h"
#include "platform/module_globals.h"
#include "sim/platform.h"

namespace {

using fuzz::ExactBlock;
using fuzz::FuzzInput;
using fuzz::Require;

constexpr std::size_t kMaxHandles = 6;
constexpr std::size_t kMaxListed = 8;
constexpr std::size_t kMaxPathBytes = 64;
constexpr std::size_t kReadBytes = 12;  // the status byte, then the 11-byte reply
constexpr UINT8 kPdBusNumber = 7;

enum Flags : UINT8 {
  kScribble = 1 << 0,
  kNullHandleBuffer = 1 << 1,  // a success with no buffer
};

constexpr EFI_STATUS kStatuses[] = {
    EFI_SUCCESS,      EFI_SUCCESS,     EFI_WARN_STALE_DATA, EFI_NOT_FOUND,
    EFI_DEVICE_ERROR, EFI_NO_RESPONSE, EFI_TIMEOUT,         EFI_OUT_OF_RESOURCES,
};

// One published handle.
struct HandleSetup {
  bool has_master = false;
  bool null_master = false;
  bool has_path = false;
  std::unique_ptr<ExactBlock> path;  // null: a NULL device-path interface
  std::vector<UINT8> path_bytes;
  EFI_HANDLE handle = nullptr;
};

// The device path of one handle: raw bytes, optionally behind the I2C bus
// node's first 20 bytes (type, subtype, length, GUID) so the bus can be
// found; at least the 4 bytes of a node header, and a first node whose
// Length claims no more than the bytes there are.
std::vector<UINT8> MakePath(FuzzInput &in, UINT8 kind) {
  std::vector<UINT8> bytes;
  if (kind & 0x10) {
    bytes = {0x01, 0x04, 0, 0};
    const auto *guid = reinterpret_cast<const UINT8 *>(&I2C_BUS_VENDOR_GUID);
    bytes.insert(bytes.end(), guid, guid + 16);
  }
  const std::vector<UINT8> raw = in.Bytes(in.Byte() % (kMaxPathBytes + 1));
  bytes.insert(bytes.end(), raw.begin(), raw.end());
  if (kind & 0x10) {
    const UINT16 length = in.U16();  // overwritten below when it claims too much
    bytes[2] = static_cast<UINT8>(length);
    bytes[3] = static_cast<UINT8>(length >> 8);
  }
  bytes.resize(std::max<std::size_t>(bytes.size(), 4), 0);
  if (static_cast<std::size_t>(bytes[2] | bytes[3] << 8) > bytes.size()) {
    bytes[2] = static_cast<UINT8>(bytes.size());
    bytes[3] = static_cast<UINT8>(bytes.size() >> 8);
  }
  return bytes;
}

// A scripted I2C master: each request takes the next status, every read
// operation the next bytes of the read stream (filled even when the status
// is an error, so trusting a failed read shows).
struct Master {
  EFI_I2C_MASTER_PROTOCOL protocol{};
  struct Request {
    const EFI_I2C_MASTER_PROTOCOL *self;
    UINTN address;
    bool event_null;
    bool status_null;
    std::size_t packet_size;
    UINTN operations;
    std::vector<std::pair<UINT32, std::vector<UINT8>>> transfers;  // flags, written bytes or read length
  };
};

struct Run {
  std::vector<EFI_STATUS> request_statuses;
  std::vector<UINT8> reads;
  std::size_t read_at = 0;
  std::vector<Master::Request> requests;
  EFI_STATUS list_status = EFI_SUCCESS;
  std::vector<EFI_HANDLE> listed;
  bool null_buffer = false;
  bool scribble = false;
};
Run *g_run = nullptr;

EFI_STATUS EFIAPI ScriptedStartRequest(const EFI_I2C_MASTER_PROTOCOL *This, UINTN SlaveAddress,
                                       EFI_I2C_REQUEST_PACKET *RequestPacket, EFI_EVENT Event, EFI_STATUS *I2cStatus) {
  Run &run = *g_run;
  Master::Request request{
      This, SlaveAddress, Event == nullptr, I2cStatus == nullptr, sim::Current().pool().SizeOf(RequestPacket), 0, {}};
  if (RequestPacket != nullptr && request.packet_size >= 8) {
    request.operations = RequestPacket->OperationCount;
    const UINTN fits = (request.packet_size - 8) / sizeof(EFI_I2C_OPERATION);
    for (UINTN i = 0; i < std::min(request.operations, fits); ++i) {
      const EFI_I2C_OPERATION &op = RequestPacket->Operation[i];
      if (op.Flags & I2C_FLAG_READ) {
        request.transfers.emplace_back(op.Flags, std::vector<UINT8>(op.LengthInBytes));
        for (UINT32 k = 0; k < op.LengthInBytes; ++k) {
          op.Buffer[k] = run.read_at < run.reads.size() ? run.reads[run.read_at++] : 0;
        }
      } else {
        request.transfers.emplace_back(op.Flags, std::vector<UINT8>(op.Buffer, op.Buffer + op.LengthInBytes));
      }
    }
  }
  const std::size_t index = run.requests.size();
  run.requests.push_back(std::move(request));
  return index < run.request_statuses.size() ? run.request_statuses[index] : EFI_DEVICE_ERROR;
}

EFI_STATUS EFIAPI ScriptedLocateHandleBuffer(EFI_LOCATE_SEARCH_TYPE SearchType, const EFI_GUID *Protocol,
                                             void *SearchKey, UINTN *NoHandles, EFI_HANDLE **Buffer) {
  Run &run = *g_run;
  sim::Platform &platform = sim::Current();
  platform.calls().Enter("BS.LocateHandleBuffer");
  Require(SearchType == ByProtocol && Protocol != nullptr &&
              std::memcmp(Protocol, &EFI_I2C_MASTER_PROTOCOL_GUID, 16) == 0 && SearchKey == nullptr &&
              NoHandles != nullptr && Buffer != nullptr,
          "LocateHandleBuffer not asked for the I2C master handles");
  if (EFI_ERROR(run.list_status)) {
    if (run.scribble) {
      *NoHandles = 0x7FFFFFFF;
      *Buffer = reinterpret_cast<EFI_HANDLE *>(sim::kScribble);
    }
    return platform.calls().Leave(run.list_status);
  }
  *NoHandles = run.listed.size();
  *Buffer = nullptr;
  if (!run.null_buffer) {
    void *memory = nullptr;
    platform.pool().Allocate(EfiBootServicesData, run.listed.size() * sizeof(EFI_HANDLE), &memory);
    std::copy(run.listed.begin(), run.listed.end(), static_cast<EFI_HANDLE *>(memory));
    *Buffer = static_cast<EFI_HANDLE *>(memory);
  }
  return platform.calls().Leave(run.list_status);
}

bool IsPdBus(const HandleSetup &h) {
  if (h.path == nullptr) {
    return false;
  }
  const std::vector<UINT8> &p = h.path_bytes;
  const std::size_t length = p[2] | p[3] << 8;
  return p[0] == 0x01 && p[1] == 0x04 && length > 28 && std::memcmp(p.data() + 4, &I2C_BUS_VENDOR_GUID, 16) == 0 &&
         p[28] == kPdBusNumber;
}

struct Expected {
  bool success = false;
  std::size_t handle_protocol_calls = 0;
  std::size_t requests = 0;
  const EFI_I2C_MASTER_PROTOCOL *master = nullptr;
  std::size_t allocations = 0;
};

Expected Model(const Run &run, const std::vector<HandleSetup> &handles, std::uint64_t failing_lookup,
               std::uint64_t failing_allocation, const std::vector<Master> &masters) {
  Expected e;
  if (EFI_ERROR(run.list_status)) {
    return e;
  }
  auto setup_of = [&](EFI_HANDLE h) -> const HandleSetup * {
    for (const HandleSetup &s : handles) {
      if (s.handle == h) return &s;
    }
    return nullptr;
  };
  const HandleSetup *bus = nullptr;
  const std::size_t listed = run.null_buffer ? 0 : run.listed.size();
  for (std::size_t i = 0; i < listed && bus == nullptr; ++i) {
    const bool failed = ++e.handle_protocol_calls == failing_lookup;
    const HandleSetup *s = setup_of(run.listed[i]);
    if (!failed && s != nullptr && s->has_path && IsPdBus(*s)) {
      bus = s;
    }
  }
  if (bus == nullptr) {
    return e;
  }
  if (++e.handle_protocol_calls == failing_lookup || !bus->has_master || bus->null_master) {
    return e;
  }
  e.master = &masters[bus - handles.data()].protocol;
  for (std::size_t r = 0; r < 3; ++r) {
    if (++e.allocations == failing_allocation) {
      return e;
    }
    ++e.requests;
    if (EFI_ERROR(run.request_statuses[r])) {
      return e;
    }
    if ((r == 1 && run.reads[0] != 0x4B) || (r == 2 && run.reads[1] != 11)) {
      return e;
    }
  }
  e.success = true;
  return e;
}

void CheckRequests(const Run &run, const Expected &e) {
  Require(run.requests.size() == e.requests, "not the expected number of I2C requests");
  using Transfers = std::vector<std::pair<UINT32, std::vector<UINT8>>>;
  const Transfers shapes[] = {
      {{0, {0x3A, 0x03, 0x00, 0x00, 0x00}}},
      {{I2C_FLAG_READ, std::vector<UINT8>(1)}},
      {{0, {0x80}}, {I2C_FLAG_READ, std::vector<UINT8>(11)}},
  };
  for (std::size_t r = 0; r < run.requests.size(); ++r) {
    const Master::Request &q = run.requests[r];
    Require(q.self == e.master, "a request went to another master than the found bus's");
    Require(q.address == PD_CONTROLLER_ADDRESS && q.event_null && q.status_null,
            "a request not to 0x72, or with an event or a status pointer");
    Require(q.operations == shapes[r].size() && q.packet_size == I2cRequestPacketSize(q.operations),
            "a request packet of the wrong operation count or pool size");
    Require(q.transfers == shapes[r], "a request's operations are not the exchange's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in(data, size);
  Run run;
  const UINT8 flags = in.Byte();
  run.scribble = (flags & kScribble) != 0;
  run.null_buffer = (flags & kNullHandleBuffer) != 0;
  run.list_status = kStatuses[in.Choose(std::size(kStatuses))];

  sim::Platform platform;
  std::vector<HandleSetup> handles(in.Byte() % (kMaxHandles + 1));
  std::vector<Master> masters(handles.size());
  for (std::size_t i = 0; i < handles.size(); ++i) {
    HandleSetup &h = handles[i];
    const UINT8 kind = in.Byte();
    h.has_master = (kind & 3) != 2;
    h.has_path = (kind & 3) != 1;
    h.null_master = (kind & 4) != 0;
    masters[i].protocol.StartRequest = ScriptedStartRequest;
    if (h.has_master) {
      h.handle = platform.Publish(EFI_I2C_MASTER_PROTOCOL_GUID, h.null_master ? nullptr : &masters[i].protocol);
    }
    if (h.has_path) {
      void *interface = nullptr;
      if ((kind & 3) != 3) {
        h.path_bytes = MakePath(in, kind);
        h.path = std::make_unique<ExactBlock>(h.path_bytes, (kind >> 5) & 7);
        interface = h.path->data();
      }
      h.handle = platform.Publish(EFI_DEVICE_PATH_PROTOCOL_GUID, interface, h.handle);
    }
  }
  static int stranger;
  const std::size_t listed = in.Byte() % (kMaxListed + 1);
  for (std::size_t i = 0; i < listed; ++i) {
    const UINT8 pick = in.Byte();
    run.listed.push_back(pick >= 0xF0 || handles.empty() ? static_cast<EFI_HANDLE>(&stranger)
                                                         : handles[pick % handles.size()].handle);
  }
  const std::uint64_t failing_lookup = in.Byte() % 8;      // 0: none
  const std::uint64_t failing_allocation = in.Byte() % 4;  // 0: none
  for (int r = 0; r < 3; ++r) {
    run.request_statuses.push_back(kStatuses[in.Choose(std::size(kStatuses))]);
  }
  run.reads = in.Bytes(kReadBytes);
  run.reads.resize(kReadBytes, 0);

  if (failing_lookup != 0) {
    platform.calls().FailNth("BS.HandleProtocol", failing_lookup, EFI_DEVICE_ERROR, run.scribble);
  }
  if (failing_allocation != 0) {
    platform.calls().FailNth("BS.AllocatePool", failing_allocation, EFI_OUT_OF_RESOURCES, run.scribble);
  }
  platform.BootServices()->LocateHandleBuffer = ScriptedLocateHandleBuffer;
  g_run = &run;
  gBootServices = platform.BootServices();

  PD_VERSION version;
  std::memset(&version, 0xA5, sizeof version);
  PD_VERSION untouched;
  std::memset(&untouched, 0xA5, sizeof untouched);
  const EFI_STATUS status = QueryPdVersion(&version);

  g_run = nullptr;
  gBootServices = nullptr;

  const Expected e = Model(run, handles, failing_lookup, failing_allocation, masters);
  fuzz::Trace("handles %zu listed %zu, lookups %llu, requests %zu, status %llx, expected success %d\n", handles.size(),
              run.listed.size(), static_cast<unsigned long long>(platform.calls().CountOf("BS.HandleProtocol")),
              run.requests.size(), status, e.success);
  Require(platform.Violations().empty(), "the simulated platform saw a bad free");
  Require(platform.pool().LiveCount() == 0, "pool left allocated");
  Require(platform.calls().CountOf("BS.HandleProtocol") == e.handle_protocol_calls,
          "HandleProtocol not called once per handle up to the bus, then once for its master");
  CheckRequests(run, e);
  Require(!EFI_ERROR(status) == e.success, "success does not match a full, matching exchange");
  if (e.success) {
    const UINT8 *r = run.reads.data() + 1;
    Require(version.BootPatch == r[3] && version.BootMinor == r[4] && version.BootMajor == (r[5] | r[6] << 8) &&
                version.AppPatch == r[7] && version.AppMinor == r[8] && version.AppMajor == (r[9] | r[10] << 8),
            "the version fields are not the reply's bytes");
  } else {
    Require(std::memcmp(&version, &untouched, sizeof version) == 0, "a failed query changed the version record");
  }
  return 0;
}
