#pragma once

#include <string>

#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_api.h"

namespace trelvo {

// Dialog template 102 made into a window with a procedure that does nothing,
// for tests of the template and of the pieces that work on its controls.
class TestDialog {
public:
    TestDialog() {
        const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_UPDATE_DIALOG),
                                   nullptr, Ignore, 0);
    }
    ~TestDialog() { DestroyWindow(hwnd_); }
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND hwnd() const { return hwnd_; }
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    static std::wstring Text(HWND window) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        return text;
    }

private:
    static INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

    HWND hwnd_ = nullptr;
};

}  // namespace trelvo
