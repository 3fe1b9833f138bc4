#pragma once

#include <string>
#include <string_view>

#include "job/update_job.h"

namespace trelvo {

// The status text the operator sees for each job state, in German (it passes
// through LocalizeText before it is shown); empty for a value outside the
// states. It names the step the awaited reply sets off, not the reply.
const char* StatusText(JobState state);

// The status text as the operator's language shows it; empty for a value
// outside the states.
std::string ShownStatusText(JobState state);

// The state's name as the code spells it, for machine-readable output.
std::string_view StateName(JobState state);

}  // namespace trelvo
