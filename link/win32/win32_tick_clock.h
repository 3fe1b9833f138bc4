#pragma once

#include <cstdint>

#include "job/job_environment.h"

namespace trelvo {

// The system's millisecond tick count since start-up; wraps after 49.7
// days, and the job only takes differences.
class Win32TickClock final : public TickClock {
public:
    std::uint32_t NowMs() override;
};

}  // namespace trelvo
