#include "ui/win32/operator_text_edit.h"

#include <algorithm>
#include <string>

#include "text/operator_text.h"
#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

constexpr UINT_PTR kSubclassId = 1252;

// Backspace, and Ctrl with A, C, V, X and Z.
bool IsEditingKey(wchar_t character) {
    return character == L'\b' || character == 0x01 || character == 0x03 || character == 0x16 ||
           character == 0x18 || character == 0x1A;
}

// The clipboard's text without the characters the rule refuses; a
// character beyond the first plane comes as two halves, each refused.
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
                              [](wchar_t c) { return !IsTypableWindows1252(c); }),
               text.end());
    return text;
}

LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR /*id*/,
                            DWORD_PTR /*data*/) {
    switch (message) {
        case WM_CHAR: {
            const auto character = static_cast<wchar_t>(wParam);
            if (character < L' ') {
                // The editing keys keep their meaning; any other control
                // character that reaches the edit (a tab, a line feed, an
                // escape) is no text.
                if (IsEditingKey(character)) {
                    break;
                }
                return 0;
            }
            // DEL (Ctrl+Backspace) too is refused here.
            if (!IsTypableWindows1252(character)) {
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

void AcceptOnlyOperatorText(HWND edit) {
    SetWindowSubclass(edit, FilterProc, kSubclassId, 0);
}

}  // namespace trelvo
