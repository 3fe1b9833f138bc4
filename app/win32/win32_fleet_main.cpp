#include "app/win32/fleet_settings_path.h"
#include "fleet/fleet.h"
#include "link/win32/win32_tick_clock.h"
#include "link/win32/winsock_start.h"
#include "names/system_hosts_file.h"
#include "ui/fleet/fleet_settings_file.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_fleet_window.h"
#include "ui/win32/win32_standard_dialogs.h"

// The fleet program: the socket layer, then the fleet window until it
// closes. Every outcome is shown in the window; the exit status tells none.
int WINAPI wWinMain(HINSTANCE module, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    if (!trelvo::StartWinsock()) {
        trelvo::ShowWarning(nullptr, trelvo::ResourceText(module, IDS_SOCKET_INIT_FAILED));
        return 0;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    trelvo::Win32FleetParts parts;
    parts.clock = std::make_unique<trelvo::Win32TickClock>();
    parts.settings = std::make_unique<trelvo::FleetSettingsFile>(trelvo::FleetSettingsPath());
    parts.makeLinks = trelvo::RealRecorderLinks;
    parts.hostsPath = trelvo::SystemHostsFile();
    trelvo::Win32FleetWindow window(module, std::move(parts));
    window.RunModal();
    return 0;
}
