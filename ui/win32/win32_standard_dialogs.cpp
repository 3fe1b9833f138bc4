#include "ui/win32/win32_standard_dialogs.h"

#include <algorithm>
#include <cstring>
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

std::wstring ResourceText(HINSTANCE module, UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

void ShowWarning(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), ApplicationName().c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::optional<ChosenFile> ChooseUpdateFile(HWND owner, const std::string& title,
                                           const std::string& filter) {
    const std::optional<std::string> path = ChooseFilePath(owner, false, title, filter, "", "");
    if (!path) {
        return std::nullopt;
    }
    const std::size_t nameStart = path->find_last_of('\\') + 1;
    return ChosenFile{path->substr(nameStart), path->substr(0, nameStart)};
}

std::optional<std::string> ChooseFilePath(HWND owner, bool save, const std::string& title,
                                          const std::string& filter, const std::string& folder,
                                          const std::string& proposedName) {
    // The dialog takes its filter as label and patterns, each ended by a
    // null character, the whole ended by another.
    std::wstring filters = Utf16FromUtf8(filter);
    std::replace(filters.begin(), filters.end(), L'|', L'\0');
    const std::wstring caption = Utf16FromUtf8(title);
    const std::wstring initialFolder = Utf16FromUtf8(folder);
    std::vector<wchar_t> path(kPathBufferChars, L'\0');
    const std::wstring proposed = Utf16FromUtf8(proposedName);
    std::copy_n(proposed.begin(), std::min<std::size_t>(proposed.size(), kPathBufferChars - 1),
                path.begin());

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filters.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = path.data();
    request.nMaxFile = kPathBufferChars;
    request.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    request.lpstrTitle = caption.c_str();
    request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : 0);
    if (!(save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request))) {
        return std::nullopt;
    }
    return Utf8FromUtf16(path.data());
}

namespace {

// While the question is open: Escape presses No. Only one question is
// open at a time on the window's thread.
thread_local HHOOK questionHook = nullptr;

LRESULT CALLBACK EscapeAnswersNo(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
        const HWND box = GetAncestor(message->hwnd, GA_ROOT);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
        return 1;
    }
    return CallNextHookEx(questionHook, code, wParam, lParam);
}

}  // namespace

bool AskYesNo(HWND owner, const std::wstring& text) {
    questionHook = SetWindowsHookExW(WH_MSGFILTER, EscapeAnswersNo, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner, text.c_str(), ApplicationName().c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (questionHook != nullptr) {
        UnhookWindowsHookEx(questionHook);
        questionHook = nullptr;
    }
    return answer == IDYES;
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) {
        return false;
    }
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool put = false;
    if (data != nullptr) {
        if (void* chars = GlobalLock(data); chars != nullptr) {
            std::memcpy(chars, text.c_str(), bytes);
            GlobalUnlock(data);
            // The clipboard owns the memory once it has taken it.
            put = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
        }
        if (!put) {
            GlobalFree(data);
        }
    }
    CloseClipboard();
    return put;
}

}  // namespace trelvo
