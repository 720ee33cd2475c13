// SPDX-License-Identifier: BSD-2-Clause-Patent
// The one list of EFI_STATUS codes: name, code and the text the format
// engine's %r shows. platform/status.h makes the constants from it, the
// format engine its packed text tables, the simulator tool its name table.
//
// Each list calls STATUS(Name, Code, Text) per code, in rising order with no
// gaps, as the format engine indexes its text tables by code. The error list
// fills the codes no status is named for with RESERVED(Code, Text).
#pragma once

// Success and warnings: bit 63 clear.
#define EFI_SUCCESS_STATUS_LIST(STATUS)                            \
  STATUS(EFI_SUCCESS, 0, "Success")                                \
  STATUS(EFI_WARN_UNKNOWN_GLYPH, 1, "Warning Unknown Glyph")       \
  STATUS(EFI_WARN_DELETE_FAILURE, 2, "Warning Delete Failure")     \
  STATUS(EFI_WARN_WRITE_FAILURE, 3, "Warning Write Failure")       \
  STATUS(EFI_WARN_BUFFER_TOO_SMALL, 4, "Warning Buffer Too Small") \
  STATUS(EFI_WARN_STALE_DATA, 5, "Warning Stale Data")

// Errors from code 1: bit 63 set, the code in the low bits.
#define EFI_ERROR_STATUS_LIST(STATUS, RESERVED)                \
  STATUS(EFI_LOAD_ERROR, 1, "Load Error")                      \
  STATUS(EFI_INVALID_PARAMETER, 2, "Invalid Parameter")        \
  STATUS(EFI_UNSUPPORTED, 3, "Unsupported")                    \
  STATUS(EFI_BAD_BUFFER_SIZE, 4, "Bad Buffer Size")            \
  STATUS(EFI_BUFFER_TOO_SMALL, 5, "Buffer Too Small")          \
  STATUS(EFI_NOT_READY, 6, "Not Ready")                        \
  STATUS(EFI_DEVICE_ERROR, 7, "Device Error")                  \
  STATUS(EFI_WRITE_PROTECTED, 8, "Write Protected")            \
  STATUS(EFI_OUT_OF_RESOURCES, 9, "Out of Resources")          \
  STATUS(EFI_VOLUME_CORRUPTED, 10, "Volume Corrupt")           \
  STATUS(EFI_VOLUME_FULL, 11, "Volume Full")                   \
  STATUS(EFI_NO_MEDIA, 12, "No Media")                         \
  STATUS(EFI_MEDIA_CHANGED, 13, "Media changed")               \
  STATUS(EFI_NOT_FOUND, 14, "Not Found")                       \
  STATUS(EFI_ACCESS_DENIED, 15, "Access Denied")               \
  STATUS(EFI_NO_RESPONSE, 16, "No Response")                   \
  STATUS(EFI_NO_MAPPING, 17, "No mapping")                     \
  STATUS(EFI_TIMEOUT, 18, "Time out")                          \
  STATUS(EFI_NOT_STARTED, 19, "Not started")                   \
  STATUS(EFI_ALREADY_STARTED, 20, "Already started")           \
  STATUS(EFI_ABORTED, 21, "Aborted")                           \
  STATUS(EFI_ICMP_ERROR, 22, "ICMP Error")                     \
  STATUS(EFI_TFTP_ERROR, 23, "TFTP Error")                     \
  STATUS(EFI_PROTOCOL_ERROR, 24, "Protocol Error")             \
  STATUS(EFI_INCOMPATIBLE_VERSION, 25, "Incompatible Version") \
  STATUS(EFI_SECURITY_VIOLATION, 26, "Security Violation")     \
  STATUS(EFI_CRC_ERROR, 27, "CRC Error")                       \
  STATUS(EFI_END_OF_MEDIA, 28, "End of Media")                 \
  RESERVED(29, "Reserved (29)")                                \
  RESERVED(30, "Reserved (30)")                                \
  STATUS(EFI_END_OF_FILE, 31, "End of File")                   \
  STATUS(EFI_INVALID_LANGUAGE, 32, "Invalid Language")         \
  STATUS(EFI_COMPROMISED_DATA, 33, "Compromised Data")
