// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/option_table.h"

#include "sim/gpio_model.h"
#include "tools/status_names.h"
#include "tools/value_parsers.h"

namespace sysinfo_tool {

namespace {

constexpr std::string_view kOutput = "Output";
constexpr std::string_view kMemory = "Memory-information protocol";
constexpr std::string_view kStraps = "Memory straps (GPIO)";
constexpr std::string_view kPd = "PD controller and I2C bus";
constexpr std::string_view kFirmware = "Firmware-version protocol";
constexpr std::string_view kHii = "HII protocols";
constexpr std::string_view kUart = "Console UART (as the previous boot stage left it)";
constexpr std::string_view kFaults = "Fault injection";

std::string Quoted(std::string_view value) { return "'" + std::string(value) + "'"; }

// Sets a field to a value that needs no checking.
template <typename T, typename V>
std::string Assign(T &field, V value) {
  field = value;
  return {};
}

// Stores an unsigned value no larger than `max` into `*field`.
template <typename T>
std::string SetUnsigned(T *field, std::string_view value, std::uint64_t max) {
  const auto number = ParseUnsigned(value, max);
  if (!number) {
    return Quoted(value) + " is not a number in 0.." + std::to_string(max);
  }
  *field = static_cast<T>(*number);
  return {};
}

std::string SetVersion(UINT16 *major, UINT8 *minor, UINT8 *patch, std::string_view value) {
  const auto version = ParseTripleVersion(value);
  if (!version) {
    return Quoted(value) + " is not MAJOR.MINOR.PATCH (0..65535, 0..255, 0..255)";
  }
  *major = version->major;
  *minor = version->minor;
  *patch = version->patch;
  return {};
}

std::string AddWiredPin(std::vector<UINT32> *pins, std::string_view value) {
  const auto pin = ParseUnsigned(value, sim::GpioBank::kPinCount - 1);
  if (!pin || !sim::GpioBank::LineOf(static_cast<UINT32>(*pin))) {
    return Quoted(value) + " is not a pin with a GPIO line (1..155)";
  }
  pins->push_back(static_cast<UINT32>(*pin));
  return {};
}

std::string AddLanguage(std::vector<std::string> *languages, std::string_view value) {
  if (!IsLanguageTag(value)) {
    return Quoted(value) + " is not a language tag (printable, no ';', at most 32 characters)";
  }
  languages->emplace_back(value);
  return {};
}

std::string SetFirmwareText(Options &o, std::string_view value) {
  const std::size_t equals = value.find('=');
  const auto component = ParseComponent(value.substr(0, equals));
  if (equals == std::string_view::npos || !component) {
    return Quoted(value) + " is not COMPONENT=TEXT (components: " + ComponentNameList() + ")";
  }
  const auto text = Ucs2FromUtf8(value.substr(equals + 1));
  if (!text) {
    return "the text of " + Quoted(value) + " is not UTF-8 within the basic multilingual plane";
  }
  o.facts.firmware_texts[*component] = *text;
  return {};
}

std::string SetFirmwareFailure(Options &o, std::string_view value) {
  const std::size_t colon = value.find(':');
  const auto component = ParseComponent(value.substr(0, colon));
  if (!component) {
    return Quoted(value.substr(0, colon)) + " is not a component (" + ComponentNameList() + ")";
  }
  EFI_STATUS status = EFI_DEVICE_ERROR;
  if (colon != std::string_view::npos) {
    const auto parsed = ParseStatus(value.substr(colon + 1));
    if (!parsed || !EFI_ERROR(*parsed)) {
      return Quoted(value.substr(colon + 1)) + " is not an error status";
    }
    status = *parsed;
  }
  o.facts.firmware_failures[*component] = status;
  return {};
}

std::string SetUart(Options &o, std::string_view value) {
  const std::vector<std::string_view> fields = SplitOn(value, ',');
  UINT32 *registers[] = {&o.facts.uart_cr, &o.facts.uart_lcr_h, &o.facts.uart_ibrd, &o.facts.uart_fbrd};
  if (fields.size() != std::size(registers)) {
    return Quoted(value) + " is not four register values CR,LCR_H,IBRD,FBRD";
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (std::string error = SetUnsigned(registers[i], fields[i], UINT32_MAX); !error.empty()) {
      return error;
    }
  }
  return {};
}

std::string SetUartDrain(Options &o, std::string_view value) {
  if (value == "never") {
    o.facts.uart_drain_after_polls = sim::Pl011Model::kNeverDrains;
    return {};
  }
  return SetUnsigned(&o.facts.uart_drain_after_polls, value, INT64_MAX);
}

std::string AddFault(Options &o, std::string_view value) {
  FaultRule rule;
  if (std::string error = ParseFaultRule(value, &rule); !error.empty()) {
    return error;
  }
  o.faults.push_back(rule);
  return {};
}

std::string ApplyShortcut(Options &o, std::string_view value) {
  const FaultShortcut *shortcut = FindFaultShortcut(value);
  if (shortcut == nullptr) {
    return "no fault shortcut " + Quoted(value) + " (see --list-faults)";
  }
  return ApplyArguments(o, std::vector<std::string>(shortcut->arguments.begin(), shortcut->arguments.end()));
}

// Checked against the known boards by the caller, which knows them.
std::string SetBoard(Options &o, std::string_view value) { return Assign(o.board, value); }

}  // namespace

const std::vector<OptionEntry> &OptionTable() {
  static const std::vector<OptionEntry> kTable = {
      {"--help", "", Arity::kFlag, kOutput, "print this help and exit",
       [](Options &o, std::string_view) { return Assign(o.help, true); }},
      {"--version", "", Arity::kFlag, kOutput, "print the simulator's version (the driver's release) and exit",
       [](Options &o, std::string_view) { return Assign(o.version, true); }},
      {"--json", "", Arity::kFlag, kOutput, "print the page and the run's result as JSON instead of text",
       [](Options &o, std::string_view) { return Assign(o.json, true); }},
      {"--trace", "FILE", Arity::kOptional, kOutput,
       "print every boot-service, HII, I2C, firmware-version and register call in order, to stderr or to "
       "FILE; identical register reads in a row (polls) are folded into one line with a count",
       [](Options &o, std::string_view v) { return Assign(o.trace, true) + Assign(o.trace_file, v); }},
      {"--export-packages", "FILE", Arity::kRequired, kOutput,
       "write the page's package list as the HII database now holds it (header with the page GUID, the "
       "packages with the current strings, end package) to FILE",
       [](Options &o, std::string_view v) {
         return v.empty() ? std::string("needs a file name") : Assign(o.export_file, v);
       }},
      {"--language", "LANG", Arity::kRequired, kOutput, "draw the page from its strings in LANG (default en-US)",
       [](Options &o, std::string_view v) {
         return IsLanguageTag(v) ? Assign(o.language, v) : Quoted(v) + " is not a language tag";
       }},
      {"--board", "BOARD", Arity::kRequired, kOutput, "run the executable built for BOARD instead (see Boards below)",
       SetBoard},

      {"--memory-mib", "MIB", Arity::kRequired, kMemory, "total memory in MiB (default 16384)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.memory_mib, v, UINT32_MAX); }},
      {"--memory-clock", "MHZ", Arity::kRequired, kMemory, "memory clock in MHz (default 3200)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.memory_clock_mhz, v, UINT16_MAX); }},
      {"--no-memory-info", "", Arity::kFlag, kMemory, "the memory-information protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.memory_info, false); }},
      {"--memory-record-null", "", Arity::kFlag, kMemory, "the protocol's interface points at no record",
       [](Options &o, std::string_view) { return Assign(o.facts.memory_record_null, true); }},

      {"--strap-value", "N", Arity::kRequired, kStraps,
       "strap levels 0..15: bit 0..3 is the level of pin 49, 50, 57, 60 (default 10; the two-strap board "
       "reads bits 0 and 1)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.strap_value, v, 15); }},
      {"--pin-function", "PIN", Arity::kRequired, kStraps,
       "PIN's line is handed to another function (mode bit set), so it cannot be read; repeatable",
       [](Options &o, std::string_view v) { return AddWiredPin(&o.facts.pins_other_function, v); }},
      {"--pin-output", "PIN", Arity::kRequired, kStraps,
       "PIN's line is an output (direction bit clear), so it cannot be read; repeatable",
       [](Options &o, std::string_view v) { return AddWiredPin(&o.facts.pins_output, v); }},

      {"--pd-boot", "MAJ.MIN.PATCH", Arity::kRequired, kPd, "the PD controller's boot firmware version (default 2.1.0)",
       [](Options &o, std::string_view v) {
         return SetVersion(&o.facts.pd.boot_major, &o.facts.pd.boot_minor, &o.facts.pd.boot_patch, v);
       }},
      {"--pd-app", "MAJ.MIN.PATCH", Arity::kRequired, kPd,
       "the PD controller's application firmware version (default 3.4.12)",
       [](Options &o, std::string_view v) {
         return SetVersion(&o.facts.pd.app_major, &o.facts.pd.app_minor, &o.facts.pd.app_patch, v);
       }},
      {"--pd-status-byte", "BYTE", Arity::kRequired, kPd, "the controller's one-byte status reply (default 0x4B)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.pd_status_byte, v, 0xFF); }},
      {"--pd-reply-length", "BYTE", Arity::kRequired, kPd, "byte 0 of the version reply (default 11)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.pd_reply_length, v, 0xFF); }},
      {"--pd-nack", "N", Arity::kRequired, kPd, "the controller NACKs its Nth request (1..3)",
       [](Options &o, std::string_view v) {
         const auto n = ParseUnsigned(v, 3);
         return n && *n >= 1 ? Assign(o.facts.pd_nack_request, *n) : Quoted(v) + " is not a request number 1..3";
       }},
      {"--no-pd", "", Arity::kFlag, kPd, "no device answers at I2C address 0x72",
       [](Options &o, std::string_view) { return Assign(o.facts.pd_present, false); }},
      {"--no-i2c-bus", "", Arity::kFlag, kPd, "no handle carries the I2C master protocol",
       [](Options &o, std::string_view) { return Assign(o.facts.i2c_bus, false); }},
      {"--i2c-bus-number", "N", Arity::kRequired, kPd,
       "the bus number in the I2C handle's device path (default 7, the PD controller's bus)",
       [](Options &o, std::string_view v) { return SetUnsigned(&o.facts.i2c_bus_number, v, 0xFF); }},

      {"--firmware", "COMP=TEXT", Arity::kRequired, kFirmware,
       "component COMP's version text (UTF-8); COMP is a row name or index: SE=0 PM=1 PBL=2 ATF=3 TEE=4 EC=5 "
       "STMM=6 UEFI=7 (EC's row is hidden on the page; --trace shows its text being set)",
       SetFirmwareText},
      {"--firmware-fail", "COMP[:STATUS]", Arity::kRequired, kFirmware,
       "component COMP's version call fails with STATUS (default EFI_DEVICE_ERROR); repeatable", SetFirmwareFailure},
      {"--no-firmware-versions", "", Arity::kFlag, kFirmware, "the firmware-version protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.firmware_versions, false); }},

      {"--no-hii", "", Arity::kFlag, kHii, "none of the five HII protocols is present",
       [](Options &o, std::string_view) { return Assign(o.facts.hii, false); }},
      {"--no-hii-database", "", Arity::kFlag, kHii, "the HII database protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.hii_database, false); }},
      {"--no-hii-string", "", Arity::kFlag, kHii, "the HII string protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.hii_string, false); }},
      {"--no-hii-config-routing", "", Arity::kFlag, kHii, "the HII configuration-routing protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.hii_config_routing, false); }},
      {"--no-hii-font", "", Arity::kFlag, kHii, "the HII font protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.hii_font, false); }},
      {"--no-hii-image", "", Arity::kFlag, kHii, "the HII image protocol is absent",
       [](Options &o, std::string_view) { return Assign(o.facts.hii_image, false); }},
      {"--language-before", "LANG", Arity::kRequired, kHii,
       "the registered list also holds the strings in LANG, listed before en-US; repeatable",
       [](Options &o, std::string_view v) { return AddLanguage(&o.facts.languages_before, v); }},
      {"--language-after", "LANG", Arity::kRequired, kHii,
       "the same, listed after en-US; repeatable (x-UEFI... languages are skipped by the driver)",
       [](Options &o, std::string_view v) { return AddLanguage(&o.facts.languages_after, v); }},

      {"--uart", "CR,LCR_H,IBRD,FBRD", Arity::kRequired, kUart,
       "register values (default 0x301,0x70,0x1A,0x03; 0x301,0x70,0x36,0x10 is already configured)", SetUart},
      {"--uart-drain", "POLLS|never", Arity::kRequired, kUart,
       "the transmit FIFO reads empty from flag read POLLS+1 on, or never (default 2)", SetUartDrain},

      {"--fail", "SERVICE[:N[:STATUS[:scribble]]]", Arity::kRequired, kFaults,
       "make the Nth call (from 1; 0, * or all: every call, the default) of SERVICE fail with STATUS "
       "(default EFI_DEVICE_ERROR); 'scribble' makes the service write garbage to its outputs first. A "
       "non-error STATUS makes the service return it without doing its work, outputs untouched. "
       "SERVICE may end in '*' (BS.*, HII.*, *). Repeatable; the first matching rule wins",
       AddFault},
      {"--fault", "NAME", Arity::kRequired, kFaults, "apply a named fault scenario (see --list-faults); repeatable",
       ApplyShortcut},
      {"--list-faults", "", Arity::kFlag, kFaults, "list the named fault scenarios and exit",
       [](Options &o, std::string_view) { return Assign(o.list_faults, true); }},
  };
  return kTable;
}

const OptionEntry *FindOption(std::string_view name) {
  if (name == "-h") {
    name = "--help";
  }
  for (const OptionEntry &entry : OptionTable()) {
    if (entry.name == name) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace sysinfo_tool
