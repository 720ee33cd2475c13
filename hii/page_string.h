// SPDX-License-Identifier: BSD-2-Clause-Patent
// Setting one string of the registered page in each of its languages.
#pragma once

#include "platform/types.h"

// Gives StringId the text Text in every language of HiiHandle's package
// list except configuration languages (names beginning "x-UEFI"). A
// StringId of 0 asks for a new string in the first language; the id it is
// given then serves the later languages. The first failing language ends
// the walk; nothing is reported to the caller.
void SetPageString(EFI_HII_HANDLE HiiHandle, EFI_STRING_ID StringId, const CHAR16 *Text);
