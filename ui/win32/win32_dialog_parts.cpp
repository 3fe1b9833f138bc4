#include "ui/win32/win32_dialog_parts.h"

#include "link/net_link.h"
#include "link/serial_link.h"
#include "link/win32/win32_tick_clock.h"
#include "names/system_hosts_file.h"

namespace trelvo {

Win32DialogParts StandardWin32DialogParts() {
    Win32DialogParts parts;
    parts.net = std::make_unique<NetLink>();
    parts.serial = std::make_unique<SerialLink>();
    parts.clock = std::make_unique<Win32TickClock>();
    parts.hostsPath = SystemHostsFile();
    return parts;
}

}  // namespace trelvo
