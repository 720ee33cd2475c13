// SPDX-License-Identifier: BSD-2-Clause-Patent
// EFI_STATUS values by name, both ways, and the exit code the simulator
// gives for each status the driver's entry can return.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace sysinfo_tool {

// "EFI_OUT_OF_RESOURCES", or the value in hexadecimal when it has no name.
std::string StatusName(EFI_STATUS status);

// A status from its name ("EFI_DEVICE_ERROR", "DEVICE_ERROR",
// "device-error"; any case) or from a number (decimal or 0x hexadecimal).
std::optional<EFI_STATUS> ParseStatus(std::string_view text);

// Every named status, for the help text: "EFI_SUCCESS EFI_WARN_... ...".
std::string StatusNameList();

// Exit codes of the simulator.
inline constexpr int kExitSuccess = 0;      // the entry returned a success or warning status
inline constexpr int kExitToolFailure = 1;  // an output file could not be written, or re-exec failed
inline constexpr int kExitUsage = 2;        // bad command line
inline constexpr int kExitProblems = 3;     // pool left allocated or a model found a violation
inline constexpr int kExitOtherError = 9;   // an error status with a code above 63
inline constexpr int kExitErrorBase = 10;   // error status with code N (1..63): 10 + N

int ExitCodeFor(EFI_STATUS status);

}  // namespace sysinfo_tool
