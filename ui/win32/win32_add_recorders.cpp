#include "ui/win32/win32_add_recorders.h"

#include <string>

#include "ui/win32/fleet_resource_ids.h"
#include "ui/win32/win32_text.h"

namespace trelvo {
namespace {

// EndDialog's results beside IDCANCEL.
constexpr INT_PTR kAdded = IDOK;
constexpr INT_PTR kOpenReport = IDC_ADD_OPEN_REPORT;

struct Asked {
    const AddDialogTexts& texts;
    AddedRecorders added;
};

void SetText(HWND window, const std::string& text) {
    SetWindowTextW(window, Utf16FromUtf8(text).c_str());
}

// The lines as the edit holds them, with its CR LF made LF.
std::string Lines(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    std::wstring lines;
    lines.reserve(text.size());
    for (const wchar_t c : text) {
        if (c != L'\r') {
            lines.push_back(c);
        }
    }
    return Utf8FromUtf16(lines);
}

INT_PTR CALLBACK AddProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
            const AddDialogTexts& texts = reinterpret_cast<Asked*>(lParam)->texts;
            SetText(dialog, texts.title);
            SetText(GetDlgItem(dialog, IDC_ADD_LABEL), texts.prompt);
            SetText(GetDlgItem(dialog, IDC_ADD_OPEN_REPORT), texts.openReport);
            SetText(GetDlgItem(dialog, IDOK), texts.ok);
            SetText(GetDlgItem(dialog, IDCANCEL), texts.cancel);
            return TRUE;  // the focus to the lines
        }
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            if (id == IDOK || id == IDC_ADD_OPEN_REPORT) {
                AddedRecorders& added =
                    reinterpret_cast<Asked*>(GetWindowLongPtrW(dialog, GWLP_USERDATA))->added;
                added.lines = Lines(GetDlgItem(dialog, IDC_ADD_LINES));
                added.openReport = id == IDC_ADD_OPEN_REPORT;
                EndDialog(dialog, id == IDOK ? kAdded : kOpenReport);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<AddedRecorders> AskForRecorders(HWND owner, const AddDialogTexts& texts) {
    Asked asked{texts, {}};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FLEET_ADD), owner, AddProc,
                        reinterpret_cast<LPARAM>(&asked));
    if (result != kAdded && result != kOpenReport) {
        return std::nullopt;
    }
    return asked.added;
}

}  // namespace trelvo
