#pragma once

#include <string>

#include "text/secret.h"

// Between the window's UTF-16 controls and the texts the rest of the program
// holds: UTF-8, and Windows-1252 for what goes to a recorder.
namespace trelvo {

std::wstring Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::wstring& text);

// True when Windows-1252 has a byte for the character.
bool IsWindows1252Char(wchar_t character);

// The text's Windows-1252 bytes, or nothing for a text with a character the
// code page lacks; the caller keeps only texts that pass IsWindows1252Char.
Secret Windows1252FromUtf16(const std::wstring& text);

// Overwrites the text's characters, up to its capacity, and empties it.
void WipeWide(std::wstring& text) noexcept;

}  // namespace trelvo
