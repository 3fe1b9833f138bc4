#pragma once

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

// True when the system's message language is German: the language part of
// the first non-empty of LC_ALL, LC_MESSAGES and LANG is "de".
bool SystemLanguageIsGerman();

// True for a locale name such as "de", "de_CH.UTF-8" or "de@euro".
bool IsGermanLocaleName(std::string_view locale);

}  // namespace trelvo
