#pragma once

#include <functional>
#include <string>

#include "link/win32/winsock_start.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_dialog_parts.h"

namespace trelvo {

// The program's own message box, with no window to be modal to.
void ShowStartMessage(const std::wstring& text);

// The program: starts the socket layer, then runs the update window modally
// until it closes. Without a socket layer it shows string 103 and ends
// without a window. No command line, no settings, no exit status.
class Win32UpdateApp {
public:
    // The platform's socket layer, message box and dialog parts, unless a
    // test gives others.
    explicit Win32UpdateApp(
        HINSTANCE module, std::function<bool()> startSocketLayer = StartWinsock,
        std::function<void(const std::wstring&)> showMessage = ShowStartMessage,
        std::function<Win32DialogParts()> dialogParts = StandardWin32DialogParts);

    void InitInstance();

private:
    HINSTANCE module_;
    std::function<bool()> startSocketLayer_;
    std::function<void(const std::wstring&)> showMessage_;
    std::function<Win32DialogParts()> dialogParts_;
};

}  // namespace trelvo
