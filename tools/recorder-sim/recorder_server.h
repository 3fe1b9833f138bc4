#pragma once

#include "tools/recorder-sim/sim_options.h"

namespace trelvo {

// Both serve until --once ends the run or SIGINT/SIGTERM arrives, on one
// thread with poll(), and return the process exit status: 0, or with --once
// 0 only when that update succeeded (1 otherwise); 2 when the socket or the
// pseudo-terminal cannot be set up.

// Many TCP connections at once, each with its own session.
int ServeTcp(const SimOptions& options);

// One serial line on a new pseudo-terminal.
int ServePty(const SimOptions& options);

}  // namespace trelvo
