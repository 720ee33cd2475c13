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
  EFI_STRING_ID id = StringId;
  UINTN cursor = 0;
  while (cursor < Limit && List[cursor] != 0) {
    UINTN end = cursor;
    while (end < Limit && List[end] != ';' && List[end] != 0) {
      ++end;
    }
    if (end == Limit) {
      return;
    }
    const bool more = List[end] == ';';
    List[end] = 0;
    const CHAR8 *language = List + cursor;
    cursor = more ? end + 1 : end;
    if (language[0] == 0 || IsConfigLanguage(language)) {
      continue;
    }
    if (EFI_ERROR(SetInLanguage(Strings, HiiHandle, &id, language, Text))) {
      return;
    }
  }
}

}  // namespace

void SetPageString(EFI_HII_HANDLE HiiHandle, EFI_STRING_ID StringId, const CHAR16 *Text) {
  EFI_HII_STRING_PROTOCOL *strings = gStringProtocol;
  if (strings == nullptr) {
    return;
  }
  CHAR8 probe = 0;
  UINTN size = 0;
  if (strings->GetLanguages(strings, HiiHandle, &probe, &size) != EFI_BUFFER_TOO_SMALL) {
    return;
  }
  const UINTN capacity = size;
  auto *languages = static_cast<CHAR8 *>(AllocateZeroed(capacity));
  if (languages == nullptr) {
    return;
  }
  if (!EFI_ERROR(strings->GetLanguages(strings, HiiHandle, languages, &size))) {
    // The reported size may disagree with the buffer; read only what both allow.
    SetInEachLanguage(strings, HiiHandle, StringId, Text, languages, size < capacity ? size : capacity);
  }
  FreeBuffer(languages);
}
