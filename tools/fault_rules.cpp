// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "tools/fault_rules.h"

#include "tools/status_names.h"
#include "tools/value_parsers.h"

namespace sysinfo_tool {

const std::vector<std::string_view> &FaultableServices() {
  static const std::vector<std::string_view> kServices = {
      "BS.AllocatePool",
      "BS.FreePool",
      "BS.HandleProtocol",
      "BS.LocateProtocol",
      "BS.LocateHandleBuffer",
      "BS.InstallProtocolInterface",
      "BS.UninstallProtocolInterface",
      "BS.InstallMultipleProtocolInterfaces",
      "BS.UninstallMultipleProtocolInterfaces",
      "HII.NewPackageList",
      "HII.RemovePackageList",
      "HII.UpdatePackageList",
      "HII.ListPackageLists",
      "HII.ExportPackageLists",
      "HII.GetPackageListHandle",
      "HII.NewString",
      "HII.GetString",
      "HII.SetString",
      "HII.GetLanguages",
      "HII.GetSecondaryLanguages",
      "I2C.StartRequest",
      "FW.GetComponentVersion",
  };
  return kServices;
}

std::string ParseFaultRule(std::string_view text, FaultRule *rule) {
  const std::vector<std::string_view> fields = SplitOn(text, ':');
  if (fields.size() > 4) {
    return "'" + std::string(text) + "' has more than SERVICE:N:STATUS:scribble";
  }
  FaultRule parsed;
  parsed.service = std::string(fields[0]);
  bool known = false;
  for (std::string_view service : FaultableServices()) {
    known = known || sim::CallLog::Matches(parsed.service, service);
  }
  if (!known) {
    return "no service matches '" + parsed.service + "' (services: see --help)";
  }
  if (fields.size() > 1 && fields[1] != "*" && fields[1] != "all") {
    const auto nth = ParseUnsigned(fields[1], UINT32_MAX);
    if (!nth) {
      return "call number '" + std::string(fields[1]) + "' is not a count (1.., or 0, *, all for every call)";
    }
    parsed.nth = *nth;
  }
  if (fields.size() > 2) {
    const auto status = ParseStatus(fields[2]);
    if (!status) {
      return "'" + std::string(fields[2]) + "' is not a status name or number";
    }
    parsed.status = *status;
  }
  if (fields.size() > 3) {
    if (fields[3] != "scribble") {
      return "the fourth field may only be 'scribble', not '" + std::string(fields[3]) + "'";
    }
    if (!EFI_ERROR(parsed.status)) {
      // A service that reports success hands out its outputs as valid.
      return "'scribble' needs an error status, not " + StatusName(parsed.status);
    }
    parsed.scribble = true;
  }
  *rule = parsed;
  return {};
}

void InstallFaultRules(const std::vector<FaultRule> &rules, sim::CallLog &calls) {
  for (const FaultRule &rule : rules) {
    if (rule.nth == 0) {
      calls.FailAlways(rule.service, rule.status, rule.scribble);
    } else {
      calls.FailNth(rule.service, rule.nth, rule.status, rule.scribble);
    }
  }
}

std::string UnfiredRuleNote(const FaultRule &rule, const sim::CallLog &calls) {
  const std::uint64_t count = calls.CountOf(rule.service);
  if (count == 0) {
    return "--fail " + rule.service + ": no such call was made";
  }
  if (rule.nth > count) {
    return "--fail " + rule.service + ":" + std::to_string(rule.nth) + ": only " + std::to_string(count) +
           " such call(s) were made";
  }
  return {};
}

const std::vector<FaultShortcut> &FaultShortcuts() {
  static const std::vector<FaultShortcut> kShortcuts = {
      {"no-hii", {"--no-hii"}, "no HII string or database protocol: the entry returns EFI_NOT_FOUND"},
      {"install-fails",
       {"--fail", "BS.InstallMultipleProtocolInterfaces:1:EFI_ALREADY_STARTED"},
       "installing the device path fails: the entry returns that status (EFI_ALREADY_STARTED), nothing is registered"},
      {"register-fails",
       {"--fail", "HII.NewPackageList"},
       "the HII database refuses the package list: device path removed, EFI_OUT_OF_RESOURCES"},
      {"register-no-pool",
       {"--fail", "BS.AllocatePool:1:EFI_OUT_OF_RESOURCES:scribble"},
       "no pool for the package list: device path removed, EFI_OUT_OF_RESOURCES"},
      {"firmware-absent",
       {"--no-firmware-versions"},
       "no firmware-version protocol: the version rows stay blank, source rows are set"},
      {"firmware-one-fails", {"--firmware-fail", "PBL"}, "one component version fails: its row shows N/A"},
      {"firmware-all-fail",
       {"--fail", "FW.GetComponentVersion:all:EFI_NOT_FOUND:scribble"},
       "every component version fails: every version row shows N/A"},
      {"set-string-fails", {"--fail", "HII.SetString"}, "every string update fails: every value stays blank"},
      {"memory-absent", {"--no-memory-info"}, "no memory-information protocol: the whole hardware section stays blank"},
      {"pd-absent", {"--no-pd"}, "no PD controller answers at 0x72: PD Version shows Undefined"},
      {"pd-bus-missing", {"--no-i2c-bus"}, "no I2C bus handle: PD Version shows Undefined"},
      {"pd-wrong-bus", {"--i2c-bus-number", "6"}, "the only I2C bus is not bus 7: PD Version shows Undefined"},
      {"pd-exchange-fails", {"--pd-nack", "2"}, "the PD controller NACKs the status read: PD Version shows Undefined"},
      {"pd-not-ready", {"--pd-status-byte", "0xCB"}, "the PD status byte is not 0x4B: PD Version shows Undefined"},
      {"pd-bad-reply",
       {"--pd-reply-length", "10"},
       "the version reply's length byte is not 11: PD Version shows Undefined"},
      {"pd-no-pool",
       {"--fail", "BS.AllocatePool:5:EFI_OUT_OF_RESOURCES"},
       "no pool for the first I2C request packet: PD Version shows Undefined"},
      {"strap-fails", {"--pin-function", "57"}, "strap pin 57 is handed to another function: Memory Chip stays blank"},
      {"languages-size-success",
       {"--fail", "HII.GetLanguages:1:EFI_SUCCESS"},
       "the first string update's size request answers EFI_SUCCESS: Total Memory stays blank"},
      {"languages-no-pool",
       {"--fail", "BS.AllocatePool:2:EFI_OUT_OF_RESOURCES"},
       "no pool for the first string update's language list: Total Memory stays blank"},
      {"languages-read-fails",
       {"--fail", "HII.GetLanguages:2"},
       "the first string update cannot read the language list: Total Memory stays blank"},
      {"set-string-stops-walk",
       {"--language-after", "fr-FR", "--fail", "HII.SetString:1"},
       "the first update fails in en-US, so fr-FR is not tried: Total Memory stays blank in both"},
      {"uart-never-drains",
       {"--uart-drain", "never"},
       "the console UART's transmit FIFO never empties: the bounded wait gives up and reprograms"},
  };
  return kShortcuts;
}

const FaultShortcut *FindFaultShortcut(std::string_view name) {
  for (const FaultShortcut &shortcut : FaultShortcuts()) {
    if (shortcut.name == name) {
      return &shortcut;
    }
  }
  return nullptr;
}

}  // namespace sysinfo_tool
