#include "app/win32/fleet_settings_path.h"

#include <shlobj.h>

#include "text/utf16_text.h"

namespace trelvo {

std::string FleetSettingsPath() {
    PWSTR folder = nullptr;
    std::wstring path;
    if (SUCCEEDED(
            SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &folder))) {
        path = std::wstring(folder) + L"\\Trelvo\\fleet.json";
    }
    // Given back even when the call failed.
    CoTaskMemFree(folder);
    return path.empty() ? std::string() : Utf8FromUtf16(path);
}

}  // namespace trelvo
