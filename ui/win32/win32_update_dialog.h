#pragma once

#include <memory>

#include "ui/behaviour/dialog_behaviour.h"
#include "ui/win32/dialog_appearance.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_dialog_parts.h"
#include "ui/win32/win32_dialog_view.h"

namespace trelvo {

// The program's one window, dialog template 102, run modally. It only routes
// the platform's messages: commands, the 50 ms timer and the close go to the
// behaviour, which decides everything; painting goes to the appearance.
class Win32UpdateDialog {
public:
    Win32UpdateDialog(HINSTANCE module, Win32DialogParts parts);
    Win32UpdateDialog(const Win32UpdateDialog&) = delete;
    Win32UpdateDialog& operator=(const Win32UpdateDialog&) = delete;

    // Shows the window without a parent and returns once it has closed.
    void RunModal();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog(HWND dialog);
    void OnCommand(WORD id, WORD notification);

    HINSTANCE module_;
    // The links and the clock outlive the job that the behaviour holds.
    Win32DialogParts parts_;
    DialogAppearance appearance_;
    // Both exist while the window does.
    std::unique_ptr<Win32DialogView> view_;
    std::unique_ptr<DialogBehaviour> behaviour_;
};

}  // namespace trelvo
