#include "ui/win32/win32_text.h"

#include "text/secure_wipe.h"
#include "ui/win32/win32_api.h"

namespace trelvo {
namespace {

constexpr UINT kWindows1252 = 1252;

}  // namespace

std::wstring Utf16FromUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8FromUtf16(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

bool IsWindows1252Char(wchar_t character) {
    char byte = 0;
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, &character, 1,
                                            &byte, 1, nullptr, &usedDefault);
    return written == 1 && usedDefault == FALSE;
}

Secret Windows1252FromUtf16(const std::wstring& text) {
    std::string bytes(text.size(), '\0');
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(kWindows1252, WC_NO_BEST_FIT_CHARS, text.data(),
                                            static_cast<int>(text.size()), bytes.data(),
                                            static_cast<int>(bytes.size()), nullptr, &usedDefault);
    if (written != static_cast<int>(text.size()) || usedDefault != FALSE) {
        WipeString(bytes);
    }
    return Secret(std::move(bytes));
}

void WipeWide(std::wstring& text) noexcept {
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size() * sizeof(wchar_t));
    text.clear();
}

}  // namespace trelvo
