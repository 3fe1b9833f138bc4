#pragma once

#include <memory>
#include <string>

#include "tools/recorder-sim/transport.h"

namespace trelvo {

// A new pseudo-terminal, set raw, as the serial line a client opens by the
// name put in `device`. The transport is the simulator's side of it;
// nullptr on failure, with why in `error`.
std::unique_ptr<Transport> OpenPtyLine(std::string& device, std::string& error);

}  // namespace trelvo
