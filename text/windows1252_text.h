#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/secret.h"

// Recorders read operator texts (password, update code) in the Windows-1252
// code page, whatever the tool's own texts are written in.
namespace trelvo {

// The Windows-1252 byte of a character, or nothing when the code page has
// none (the five unassigned bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D carry
// nothing, and a surrogate is no character).
std::optional<std::uint8_t> Windows1252Byte(char32_t character);

// Decodes the UTF-8 character at `at` and moves past it; nothing (and `at`
// unmoved) when no well-formed, shortest-form sequence starts there.
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& at);

// The five bytes the code page leaves unassigned. Operator texts refuse
// them; names read back take them from the C1 controls of the same number,
// which is what Windows1252ToUtf8 makes of them.
enum class Unassigned { Refuse, FromC1Controls };

// The Windows-1252 bytes of a UTF-8 text, or nothing when the text is not
// valid UTF-8 or holds a character the code page cannot carry.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8,
                                             Unassigned unassigned = Unassigned::Refuse);

// The UTF-8 text of Windows-1252 bytes. Every byte has a character, as
// Windows decodes them (the unassigned ones the C1 control of the same
// number), so any bytes come back whole from Utf8ToWindows1252 with
// Unassigned::FromC1Controls.
std::string Windows1252ToUtf8(std::string_view bytes);

// Turns a UTF-8 secret into the Windows-1252 bytes the recorders read;
// false, leaving the secret as it was, when the code page cannot carry it.
bool ToWindows1252(Secret& text);

}  // namespace trelvo
