#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "job/job_environment.h"
#include "job/links.h"
#include "job/update_job.h"

namespace trelvo {

// What the update window reaches outside itself, handed to it whole: the
// links and clock its job uses, where the recorder names come from and the
// port recorders listen on. Tests put their own here.
struct Win32DialogParts {
    std::unique_ptr<NetLinkInterface> net;
    std::unique_ptr<SerialLinkInterface> serial;
    std::unique_ptr<TickClock> clock;
    // The system's lmHosts file, read once at set-up.
    std::string hostsPath;
    std::uint16_t port = UPDATE_PORT;
};

// The parts with the Windows network and serial links and the system's
// hosts file.
Win32DialogParts StandardWin32DialogParts();

}  // namespace trelvo
