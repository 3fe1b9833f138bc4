#include "app/win32/win32_update_app.h"

// The exit status tells nothing about an update: every outcome is shown to
// the operator in the window.
int WINAPI wWinMain(HINSTANCE module, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    trelvo::Win32UpdateApp app(module);
    app.InitInstance();
    return 0;
}
