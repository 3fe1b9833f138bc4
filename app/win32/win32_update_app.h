#pragma once

#include <functional>

#include "ui/win32/win32_api.h"
#include "ui/win32/win32_dialog_parts.h"

namespace trelvo {

// Asks the platform for its socket layer; true when it is ready.
bool StartSocketLayer();

// The program: starts the socket layer, then runs the update window modally
// until it closes. Without a socket layer it shows string 103 and ends
// without a window. No command line, no settings, no exit status.
class Win32UpdateApp {
public:
    // The platform's socket layer and dialog parts, unless a test gives others.
    explicit Win32UpdateApp(HINSTANCE module, std::function<bool()> startSocketLayer = StartSocketLayer,
                            std::function<Win32DialogParts()> dialogParts = StandardWin32DialogParts);

    void InitInstance();

private:
    HINSTANCE module_;
    std::function<bool()> startSocketLayer_;
    std::function<Win32DialogParts()> dialogParts_;
};

}  // namespace trelvo
