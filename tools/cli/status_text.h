#pragma once

#include <string_view>

#include "job/update_job.h"

namespace trelvo {

// The window's status text of each job state, in German (it passes through
// LocalizeText before it is shown). It names the step the awaited reply sets
// off, not the reply.
const char* StatusText(JobState state);

// The state's name as the code spells it, for machine-readable output.
std::string_view StateName(JobState state);

}  // namespace trelvo
