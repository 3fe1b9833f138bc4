#include "ui/win32/windows1252_edit.h"

#include <algorithm>
#include <string>

#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

constexpr UINT_PTR kSubclassId = 1252;

// The clipboard's text without the characters the code page lacks.
std::wstring PastableText(HWND edit) {
    std::wstring text;
    if (!OpenClipboard(edit)) {
        return text;
    }
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT); data != nullptr) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data)); chars != nullptr) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    text.erase(std::remove_if(text.begin(), text.end(),
                              [](wchar_t c) { return c < L' ' || !IsWindows1252Char(c); }),
               text.end());
    return text;
}

LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                            DWORD_PTR /*data*/) {
    switch (message) {
        case WM_CHAR: {
            const auto character = static_cast<wchar_t>(wParam);
            // Control characters (Backspace, Ctrl+C ...) keep their meaning.
            if (character >= L' ' && !IsWindows1252Char(character)) {
                MessageBeep(MB_OK);
                return 0;
            }
            break;
        }
        case WM_PASTE: {
            std::wstring text = PastableText(edit);
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
            WipeWide(text);
            return 0;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, FilterProc, kSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void AcceptOnlyWindows1252(HWND edit) {
    SetWindowSubclass(edit, FilterProc, kSubclassId, 0);
}

}  // namespace trelvo
