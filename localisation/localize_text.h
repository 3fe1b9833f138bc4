#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trelvo {

// Every text the operator sees is written in German in the code and passes
// through LocalizeText just before it is shown: unchanged on a German
// system, otherwise the English text of its row in the table, or unchanged
// when it has no row. The system language is asked afresh on every call.
std::string LocalizeText(std::string_view text);

// The English text paired with a German base text (ASCII letters compared
// without case, every other byte exactly), or the text itself.
std::string_view EnglishText(std::string_view german);

// True when the system's language is German. On Linux the language part of
// the first non-empty of LC_ALL, LC_MESSAGES and LANG is "de"; on Windows
// the primary language of the system default language identifier is German.
// One implementation per platform.
bool SystemLanguageIsGerman();

// True for a locale name such as "de", "de_CH.UTF-8" or "de@euro".
bool IsGermanLocaleName(std::string_view locale);

// True for a Windows language identifier whose primary language (its low
// ten bits) is German, whatever the region: 0x0407, 0x0807, 0x0C07 ...
bool IsGermanLanguageId(std::uint16_t languageId);

}  // namespace trelvo
