#pragma once

#include "tools/cli/cli_options.h"

namespace trelvo {

// `trelvo-cli update`: checks everything it can before any connection
// (recorder list, update file, password; status 2 on a problem), then runs
// every recorder on the thread's event loop and returns the exit status.
int RunUpdate(const UpdateOptions& options);

// `trelvo-cli probe`: the same recorders and checks, but each job only asks
// the version and, with a password, checks access; then closes.
int RunProbe(const UpdateOptions& options);

}  // namespace trelvo
