#pragma once

#include "tools/cli/cli_options.h"

namespace trelvo {

// `trelvo-cli discover RANGE...`: asks every address of the ranges its
// version, as a probe without password does, at most `parallel` at once,
// and lists the recorders that answered in address order (text or JSON),
// and with --hosts-out also in an lmhosts file. Returns 0 when a recorder
// answered, 1 when none did or the run was interrupted, 2 for bad ranges or
// an output file that cannot be written.
int RunDiscover(const DiscoverOptions& options);

}  // namespace trelvo
