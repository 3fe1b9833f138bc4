#include "app/win32/win32_update_app.h"

#include <string>
#include <utility>

#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_standard_dialogs.h"
#include "ui/win32/win32_update_dialog.h"

namespace trelvo {

void ShowStartMessage(const std::wstring& text) {
    ShowWarning(nullptr, text);
}

Win32UpdateApp::Win32UpdateApp(HINSTANCE module, std::function<bool()> startSocketLayer,
                               std::function<void(const std::wstring&)> showMessage,
                               std::function<Win32DialogParts()> dialogParts)
    : module_(module),
      startSocketLayer_(std::move(startSocketLayer)),
      showMessage_(std::move(showMessage)),
      dialogParts_(std::move(dialogParts)) {}

void Win32UpdateApp::InitInstance() {
    if (!startSocketLayer_()) {
        showMessage_(ResourceText(module_, IDS_SOCKET_INIT_FAILED));
        return;
    }
    // The standard controls' classes the window uses beyond the basic ones.
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    Win32UpdateDialog dialog(module_, dialogParts_());
    dialog.RunModal();
}

}  // namespace trelvo
