#include "text/format_convert.h"
#include "text/packed_texts.h"

extern constexpr CHAR8 mStatusSuccessNames[] =
    "Success\0"
    "Warning Unknown Glyph\0"
    "Warning Delete Failure\0"
    "Warning Write Failure\0"
    "Warning Buffer Too Small\0"
    "Warning Stale Data\0";

// Entry 0 is never shown: an error code of 0 prints as a number.
extern constexpr CHAR8 mStatusErrorNames[] =
    "\0"
    "Load Error\0"
    "Invalid Parameter\0"
    "Unsupported\0"
    "Bad Buffer Size\0"
    "Buffer Too Small\0"
    "Not Ready\0"
    "Device Error\0"
    "Write Protected\0"
    "Out of Resources\0"
    "Volume Corrupt\0"
    "Volume Full\0"
    "No Media\0"
    "Media changed\0"
    "Not Found\0"
    "Access Denied\0"
    "No Response\0"
    "No mapping\0"
    "Time out\0"
    "Not started\0"
    "Already started\0"
    "Aborted\0"
    "ICMP Error\0"
    "TFTP Error\0"
    "Protocol Error\0"
    "Incompatible Version\0"
    "Security Violation\0"
    "CRC Error\0"
    "End of Media\0"
    "Reserved (29)\0"
    "Reserved (30)\0"
    "End of File\0"
    "Invalid Language\0"
    "Compromised Data\0";

static_assert(PackedTextCount(mStatusSuccessNames) == STATUS_SUCCESS_NAME_COUNT, "one name per success code");
static_assert(PackedTextCount(mStatusErrorNames) == STATUS_ERROR_NAME_COUNT, "one name per error code");
