// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "hii/page_string.h"

#include "platform/hii.h"
#include "platform/module_globals.h"
#include "text/pool.h"
#include "text/string_ops.h"

namespace {

// Languages whose names begin with this are configuration languages, which
// carry no page text.
constexpr CHAR8 CONFIG_LANGUAGE_PREFIX[] = "x-UEFI";

bool IsConfigLanguage(const CHAR8 *Language) {
  return CompareAsciiN(Language, CONFIG_LANGUAGE_PREFIX, AsciiLength(CONFIG_LANGUAGE_PREFIX)) == 0;
}

// Sets the text in one language; a zero *Id first asks for a new string.
EFI_STATUS SetInLanguage(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE HiiHandle, EFI_STRING_ID *Id,
                         const CHAR8 *Language, const CHAR16 *Text) {
  if (*Id != 0) {
    return Strings->SetString(Strings, HiiHandle, *Id, Language, Text, nullptr);
  }
  return Strings->NewString(Strings, HiiHandle, Id, Language, nullptr, Text, nullptr);
}

// Walks the ';'-separated list in List[0, Limit), cutting each entry out in
// place with a NUL. Only bytes below Limit are read, and an entry counts
// only when a ';' or NUL below Limit ends it: an unterminated tail is not a
// language name. Empty entries are passed over.
void SetInEachLanguage(EFI_HII_STRING_PROTOCOL *Strings, EFI_HII_HANDLE HiiHandle, EFI_STRING_ID StringId,
                       const CHAR16 *Text, CHAR8 *List, UINTN Limit) {
  EFI_STRING_ID Id = StringId;
  UINTN Cursor = 0;
  while (Cursor < Limit && List[Cursor] != 0) {
    UINTN End = Cursor;
    while (End < Limit && List[End] != ';' && List[End] != 0) {
      ++End;
    }
    if (End == Limit) {
      return;
    }
    const bool More = List[End] == ';';
    List[End] = 0;
    const CHAR8 *Language = List + Cursor;
    Cursor = More ? End + 1 : End;
    if (Language[0] == 0 || IsConfigLanguage(Language)) {
      continue;
    }
    if (EFI_ERROR(SetInLanguage(Strings, HiiHandle, &Id, Language, Text))) {
      return;
    }
  }
}

}  // namespace

void SetPageString(EFI_HII_HANDLE HiiHandle, EFI_STRING_ID StringId, const CHAR16 *Text) {
  EFI_HII_STRING_PROTOCOL *Strings = gStringProtocol;
  if (Strings == nullptr) {
    return;
  }
  CHAR8 Probe = 0;
  UINTN Size = 0;
  if (Strings->GetLanguages(Strings, HiiHandle, &Probe, &Size) != EFI_BUFFER_TOO_SMALL) {
    return;
  }
  const UINTN Capacity = Size;
  auto *Languages = static_cast<CHAR8 *>(AllocateZeroed(Capacity));
  if (Languages == nullptr) {
    return;
  }
  if (!EFI_ERROR(Strings->GetLanguages(Strings, HiiHandle, Languages, &Size))) {
    // The reported size may disagree with the buffer; read only what both allow.
    SetInEachLanguage(Strings, HiiHandle, StringId, Text, Languages, Size < Capacity ? Size : Capacity);
  }
  FreeBuffer(Languages);
}
