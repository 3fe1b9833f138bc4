#include "ui/win32/win32_text.h"

#include "text/secure_wipe.h"
#include "ui/win32/win32_api.h"

namespace trelvo {

Secret Utf8SecretFromUtf16(const std::wstring& text) {
    std::string narrow = Utf8FromUtf16(text);
    return Secret(std::move(narrow));
}

void WipeWide(std::wstring& text) noexcept {
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size() * sizeof(wchar_t));
    text.clear();
}

}  // namespace trelvo
