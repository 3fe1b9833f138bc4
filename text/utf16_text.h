#pragma once

#include <string>

// Between the UTF-16 of Windows' wide calls (controls, the command line,
// the console) and the UTF-8 the rest of the program holds. Windows only.
namespace trelvo {

std::wstring Utf16FromUtf8(const std::string& text);
// A lone surrogate becomes U+FFFD, which the rule for operator texts refuses.
std::string Utf8FromUtf16(const std::wstring& text);

}  // namespace trelvo
