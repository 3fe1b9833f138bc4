#pragma once

#include <string>

#include "text/secret.h"
#include "text/utf16_text.h"

// Between the window's UTF-16 controls and the UTF-8 texts the rest of the
// program holds.
namespace trelvo {

// The text as UTF-8, written straight into the secret's storage so that no
// copy of a password is left behind. A lone surrogate becomes U+FFFD, which
// the rule for operator texts refuses.
Secret Utf8SecretFromUtf16(const std::wstring& text);

// Overwrites the text's characters, up to its capacity, and empties it.
void WipeWide(std::wstring& text) noexcept;

}  // namespace trelvo
