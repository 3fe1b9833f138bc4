#include "ui/win32/win32_standard_dialogs.h"

#include <algorithm>
#include <vector>

#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

// Far beyond the classic 260 characters: a deep folder still fits.
constexpr DWORD kPathBufferChars = 32768;

}  // namespace

std::wstring ApplicationName() {
    std::vector<wchar_t> path(kPathBufferChars, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), kPathBufferChars);
    std::wstring name(path.data(), std::min(length, kPathBufferChars));
    name.erase(0, name.find_last_of(L"\\/") + 1);
    if (const std::size_t dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) {
        name.erase(dot);
    }
    return name;
}

void ShowWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<ChosenFile> ChooseUpdateFile(HWND owner, const std::string& title,
                                           const std::string& filter) {
    // The dialog takes its filter as label and patterns, each ended by a
    // null character, the whole ended by another.
    std::wstring filters = Utf16FromUtf8(filter);
    std::replace(filters.begin(), filters.end(), L'|', L'\0');
    const std::wstring caption = Utf16FromUtf8(title);
    std::vector<wchar_t> path(kPathBufferChars, L'\0');

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = kPathBufferChars;
    request.lpstrTitle = caption.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&request)) {
        return std::nullopt;
    }
    const std::wstring chosen(path.data());
    const std::size_t nameStart = std::min<std::size_t>(request.nFileOffset, chosen.size());
    return ChosenFile{Utf8FromUtf16(chosen.substr(nameStart)),
                      Utf8FromUtf16(chosen.substr(0, nameStart))};
}

}  // namespace trelvo
