// SPDX-License-Identifier: BSD-2-Clause-Patent
// The whole DriverEntry on the simulated board, with random board facts
// (memory, clock, straps, PD controller versions and faults, firmware
// texts and failures, which protocols exist, the UART's prior state, extra
// HII languages) and a random fault schedule (FailNth on chosen services,
// with chosen statuses, scribbling outputs or not).
//
// Checks, for every run:
// - the entry returns EFI_SUCCESS, EFI_OUT_OF_RESOURCES, EFI_NOT_FOUND or
//   the status injected into InstallMultipleProtocolInterfaces; without
//   injected faults exactly EFI_SUCCESS (EFI_NOT_FOUND without HII);
// - no pool is left behind and no model saw a bad access or request;
// - on failure no device path is left installed (unless its removal was
//   itself failed); on success the page is registered with the path;
// - the UART ends in its target configuration, or untouched when it
//   already had it;
// - without injected faults every value slot, in every language that is
//   not "x-UEFI"-prefixed, holds the text the facts call for (e.g. total
//   memory "(MiB >> 10) GiB"); with faults each slot holds that text, its
//   fallback word ("Undefined", "N/A") or its initial text; configuration
//   languages and every other string keep their initial texts.
//
// Input: a flags byte, memory MiB (4) and clock (2), the PD versions (8),
// status byte, reply length byte and NACKed request, the strap byte, two
// strap-fault bytes, the UART registers (a byte choosing them, then four
// 4-byte values) and drain polls, the languages (a byte each side), per
// firmware component a failure byte (0xE0 and up: an error) and a text
// (count byte, 2-byte units),
// then up to four faults (service byte, call number byte, status byte).
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "boards/board_config.h"
#include "fuzz/fuzz_input.h"
#include "hii/page_packages.h"
#include "hii/page_strings.h"
#include "platform/module_globals.h"
#include "sim/board.h"
#include "sim/hii_string_store.h"

namespace {

using fuzz::FuzzInput;
using fuzz::Require;

enum Flags : UINT8 {
  kNoMemoryInfo = 1 << 0,
  kNullMemoryRecord = 1 << 1,
  kNoFirmwareVersions = 1 << 2,
  kNoI2cBus = 1 << 3,
  kNoPdController = 1 << 4,
  kNoHii = 1 << 5,
  kRawPdStatus = 1 << 6,  // a status byte from the input instead of 0x4B
  kRawReplyLength = 1 << 7,
};

constexpr const char *kFaultServices[] = {
    "BS.AllocatePool",
    "BS.FreePool",
    "BS.HandleProtocol",
    "BS.LocateProtocol",
    "BS.LocateHandleBuffer",
    "BS.InstallMultipleProtocolInterfaces",
    "BS.UninstallMultipleProtocolInterfaces",
    "HII.NewPackageList",
    "HII.GetLanguages",
    "HII.SetString",
    "I2C.StartRequest",
    "FW.GetComponentVersion",
    "BS.*",
    "HII.*",
    "*",
};

// The service for which an injected warning is an answer firmware may
// give (the string stays as it was, the walk goes on). Elsewhere an
// injected "success" that did nothing is no firmware's behaviour: an
// allocation without a buffer, a look-up without an interface, or an I2C
// request whose device NACK the warning would hide.
bool TakesWarnings(const char *service) { return std::string(service) == "HII.SetString"; }

constexpr const char *kLanguages[] = {"fr-FR", "de-DE", "x-UEFI-ns", "x-UEFI", "X-UEFI", "x-UEF", "ja-JP", "zh-Hans"};

// Four-strap labels by strap value.
constexpr const char *kChipLabels[] = {
    "4 GiB",           "4 GiB (Hynix)", "2 GiB",         "12 GiB (Hynix)",     "Undefined",      "3 GiB",
    "8 GiB (Hive)",    "6 GiB (Hive)",  "8 GiB (V1.1)",  "12 GiB (Hive)",      "16 GiB (Hynix)", "8 GiB (Samsung)",
    "16 GiB (Rayson)", "4 GiB (Hive)",  "8 GiB (Hynix)", "Development Sample",
};

// Firmware component shown in each version row, by the row's value id.
struct FirmwareRow {
  EFI_STRING_ID id;
  unsigned component;
};
constexpr FirmwareRow kFirmwareRows[] = {
    {STRING_SE_VERSION_VALUE, 0},   {STRING_PBL_VERSION_VALUE, 2}, {STRING_ATF_VERSION_VALUE, 3},
    {STRING_PM_VERSION_VALUE, 1},   {STRING_TEE_VERSION_VALUE, 4}, {STRING_UEFI_VERSION_VALUE, 7},
    {STRING_STMM_VERSION_VALUE, 6}, {STRING_EC_VERSION_VALUE, 5},
};

std::u16string Wide(const std::string &text) { return std::u16string(text.begin(), text.end()); }

std::string Printf(const char *format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0, unsigned e = 0,
                   unsigned f = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c, d, e, f);
  return text;
}

sim::BoardFacts ReadFacts(FuzzInput &in) {
  sim::BoardFacts facts;
  const UINT8 flags = in.Byte();
  facts.memory_info = !(flags & kNoMemoryInfo);
  facts.memory_record_null = (flags & kNullMemoryRecord) != 0;
  facts.firmware_versions = !(flags & kNoFirmwareVersions);
  facts.i2c_bus = !(flags & kNoI2cBus);
  facts.pd_present = !(flags & kNoPdController);
  facts.hii = !(flags & kNoHii);
  facts.memory_mib = in.U32();
  facts.memory_clock_mhz = in.U16();
  facts.pd = {in.U16(), in.Byte(), in.Byte(), in.U16(), in.Byte(), in.Byte()};
  const UINT8 status = in.Byte();
  const UINT8 length = in.Byte();
  facts.pd_status_byte = (flags & kRawPdStatus) ? status : sim::PdControllerModel::kReadyStatus;
  facts.pd_reply_length = (flags & kRawReplyLength) ? length : sim::PdControllerModel::kReplyLength;
  facts.pd_nack_request = in.Byte() % 5;
  facts.strap_value = in.Byte() & 0xF;
  const UINT8 not_gpio = in.Byte();
  const UINT8 output = in.Byte();
  if (not_gpio & 0x80) {
    facts.strap_pin_not_gpio = not_gpio % 4;
  }
  if (output & 0x80) {
    facts.strap_pin_output = output % 4;
  }
  const UINT8 uart = in.Byte();
  const UINT32 registers[4] = {in.U32(), in.U32(), in.U32(), in.U32()};
  switch (uart % 3) {
    case 0:
      break;  // as the board's defaults
    case 1:
      facts.uart_cr = 0x301, facts.uart_lcr_h = 0x70, facts.uart_ibrd = 0x36, facts.uart_fbrd = 0x10;
      break;
    default:
      facts.uart_cr = registers[0], facts.uart_lcr_h = registers[1];
      facts.uart_ibrd = registers[2], facts.uart_fbrd = registers[3];
      break;
  }
  facts.uart_drain_after_polls = in.Byte() % 64;
  std::set<std::string> used;
  for (std::vector<std::string> *side : {&facts.languages_before, &facts.languages_after}) {
    const UINT8 pick = in.Byte();
    for (unsigned bit = 0; bit < std::size(kLanguages); ++bit) {
      if ((pick >> bit) & 1 && used.insert(kLanguages[bit]).second && side->size() < 3) {
        side->push_back(kLanguages[bit]);
      }
    }
  }
  for (unsigned i = 0; i < facts.firmware_texts.size(); ++i) {
    const UINT8 failure = in.Byte();
    facts.firmware_failures[i] = failure >= 0xE0 ? EfiErrorCode(failure & 0x1F) : EFI_SUCCESS;
    std::u16string text;
    for (unsigned n = in.Byte() % 24; n > 0; --n) {
      text.push_back(in.U16());
    }
    facts.firmware_texts[i] = text;
  }
  return facts;
}

struct Fault {
  const char *service;
  UINT8 nth;
  EFI_STATUS status;
  bool scribble;
};

std::vector<Fault> ReadFaults(FuzzInput &in) {
  std::vector<Fault> faults;
  while (faults.size() < 4 && in.Remaining() >= 3) {
    const char *service = kFaultServices[in.Choose(std::size(kFaultServices))];
    const UINT8 nth = in.Byte() % 64 + 1;
    const UINT8 code = in.Byte();
    EFI_STATUS status = EfiErrorCode(code & 0x3F ? code & 0x3F : 9);
    if (TakesWarnings(service) && (code & 0x40)) {
      status = code % 5 + 1;  // a warning
    }
    faults.push_back(Fault{service, nth, status, (code & 0x80) != 0});
  }
  return faults;
}

// Each value slot's text as the facts call for it, and its fallback word.
struct SlotText {
  std::u16string expected;
  std::optional<std::u16string> fallback;
};

std::map<EFI_STRING_ID, SlotText> ExpectedSlots(const sim::BoardFacts &f) {
  std::map<EFI_STRING_ID, SlotText> slots;
  const std::u16string initial = u" ";
  const bool memory = f.memory_info && !f.memory_record_null;
  slots[STRING_TOTAL_MEMORY_VALUE] = {memory ? Wide(Printf("%u GiB", f.memory_mib >> 10)) : initial, {}};
  slots[STRING_MEMORY_FREQUENCY_VALUE] = {memory ? Wide(Printf("%u MT/s", f.memory_clock_mhz * 2u)) : initial, {}};
  slots[STRING_PCB_SKU_VALUE] = {memory ? std::u16string(mBoardName) : initial, {}};
  const bool pd = f.i2c_bus && f.pd_present && f.pd_status_byte == 0x4B && f.pd_reply_length == 11 &&
                  (f.pd_nack_request == 0 || f.pd_nack_request > 3);
  const std::u16string pd_text = pd ? Wide(Printf("Boot: v%u.%u.%u\r\nApp: v%u.%u.%u", f.pd.boot_major, f.pd.boot_minor,
                                                  f.pd.boot_patch, f.pd.app_major, f.pd.app_minor, f.pd.app_patch))
                                    : u"Undefined";
  slots[STRING_PD_VERSION_VALUE] = {memory ? pd_text : initial, u"Undefined"};
  const bool straps = !f.strap_pin_not_gpio && !f.strap_pin_output;
  const std::u16string chip =
      Wide(std::string(kChipLabels[f.strap_value]) + Printf(" | (Raw Value: %u)", f.strap_value));
  slots[STRING_MEMORY_CHIP_VALUE] = {memory && straps ? chip : initial, {}};
  for (const FirmwareRow &row : kFirmwareRows) {
    std::u16string text = f.firmware_texts[row.component];
    text = text.substr(0, text.find(u'\0'));
    const bool failed = EFI_ERROR(f.firmware_failures[row.component]);
    slots[row.id] = {f.firmware_versions ? (failed ? u"N/A" : text) : initial, u"N/A"};
  }
  slots[STRING_EDK2_ZUN_VALUE] = {mSourceIdEdk2Zun, {}};
  slots[STRING_EDK2_VALUE] = {mSourceIdEdk2, {}};
  slots[STRING_EDK2_NON_OSI_VALUE] = {mSourceIdEdk2NonOsi, {}};
  slots[STRING_EDK2_PLATFORMS_VALUE] = {mSourceIdEdk2Platforms, {}};
  return slots;
}

// The strings of the page as carried, by id.
const std::vector<std::optional<std::u16string>> &InitialStrings() {
  static const std::vector<std::optional<std::u16string>> kStrings = [] {
    std::string why;
    const std::optional<sim::StringPackage> package =
        sim::ParseStringPackage(mPageStringPackage + 4, PAGE_STRING_ARRAY_LENGTH - 4, &why);
    Require(package.has_value(), "the page's string package does not parse");
    return package->strings;
  }();
  return kStrings;
}

void CheckStrings(const sim::SimulatedBoard &board, bool faulted) {
  const std::map<EFI_STRING_ID, SlotText> slots = ExpectedSlots(board.facts);
  std::vector<std::string> languages = board.facts.languages_before;
  languages.push_back("en-US");
  languages.insert(languages.end(), board.facts.languages_after.begin(), board.facts.languages_after.end());
  const auto &initial = InitialStrings();
  const EFI_HII_HANDLE page = board.PageHandle();
  for (const std::string &language : languages) {
    const bool configuration = language.compare(0, 6, "x-UEFI") == 0;
    for (EFI_STRING_ID id = 1; id <= PAGE_STRING_COUNT; ++id) {
      const std::optional<std::u16string> now = board.hii.StringOf(page, id, language);
      Require(now.has_value(), "a page string is missing");
      const auto slot = slots.find(id);
      if (configuration || slot == slots.end()) {
        Require(now == initial[id - 1], "a string that is no value slot (or a configuration language's) changed");
        continue;
      }
      const SlotText &text = slot->second;
      const bool allowed =
          *now == text.expected || (faulted && (*now == initial[id - 1] || (text.fallback && *now == *text.fallback)));
      Require(allowed, faulted ? "a value slot holds a text that is neither its fact, its fallback nor its initial text"
                               : "a value slot does not hold the text its fact calls for");
    }
  }
}

void CheckUart(const sim::SimulatedBoard &board) {
  const sim::BoardFacts &f = board.facts;
  const bool was_configured = (f.uart_cr & 1) && f.uart_lcr_h == 0x70 && f.uart_ibrd == 0x36 && f.uart_fbrd == 0x10;
  const sim::Pl011Model &uart = board.uart;
  if (was_configured) {
    Require(uart.cr == f.uart_cr && uart.lcr_h == f.uart_lcr_h && uart.ibrd == f.uart_ibrd && uart.fbrd == f.uart_fbrd,
            "a UART that was configured was changed");
  } else {
    Require(uart.cr == 0x301 && uart.lcr_h == 0x70 && uart.ibrd == 0x36 && uart.fbrd == 0x10,
            "the UART was not left in its target configuration");
  }
}

// Whether a fault landed on `service` (and with which status).
std::optional<EFI_STATUS> InjectedInto(const sim::CallLog &calls, const char *service) {
  for (const sim::CallRecord &record : calls.Records()) {
    if (record.injected && record.service == service) {
      return record.status;
    }
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzInput in(data, size);
  const sim::BoardFacts facts = ReadFacts(in);
  const std::vector<Fault> faults = ReadFaults(in);

  sim::SimulatedBoard board(facts);
  for (const Fault &fault : faults) {
    board.platform.calls().FailNth(fault.service, fault.nth, fault.status, fault.scribble);
  }
  for (const Fault &fault : faults) {
    fuzz::Trace("fault: %s #%u status %llx%s\n", fault.service, fault.nth, fault.status,
                fault.scribble ? " scribbled" : "");
  }
  const EFI_STATUS status = board.RunDriverEntry();
  const sim::CallLog &calls = board.platform.calls();
  const bool faulted = calls.InjectedFaults() != 0;
  fuzz::Trace("status %llx, %llu calls, %llu faults injected, page %s\n", status,
              static_cast<unsigned long long>(calls.FaultableCalls()),
              static_cast<unsigned long long>(calls.InjectedFaults()), board.PageHandle() ? "registered" : "absent");

  const std::vector<std::string> problems = board.Problems();
  for (const std::string &problem : problems) {
    std::fprintf(stderr, "board: %s\n", problem.c_str());
  }
  Require(problems.empty(), "pool left behind, or a model saw a bad access or request");
  const std::optional<EFI_STATUS> install = InjectedInto(calls, "BS.InstallMultipleProtocolInterfaces");
  Require(status == EFI_SUCCESS || status == EFI_OUT_OF_RESOURCES || status == EFI_NOT_FOUND ||
              (install && status == *install),
          "the entry returned a status it cannot give");
  if (!faulted) {
    Require(status == (facts.hii ? EFI_SUCCESS : EFI_NOT_FOUND), "without faults the entry did not succeed");
  }
  CheckUart(board);
  if (EFI_ERROR(status)) {
    Require(board.PageDevicePathInstalled() == false ||
                InjectedInto(calls, "BS.UninstallMultipleProtocolInterfaces").has_value(),
            "a failed entry left its device path installed");
    return 0;
  }
  Require(board.PageDevicePathInstalled() && board.PageHandle() != nullptr,
          "a successful entry left no device path or no registered page");
  CheckStrings(board, faulted);
  return 0;
}
