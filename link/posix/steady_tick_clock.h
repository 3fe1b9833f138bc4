#pragma once

#include <cstdint>

#include "job/job_environment.h"

namespace trelvo {

// Milliseconds of the monotonic clock, so the time remaining never jumps
// when the wall clock is set. Wraps like any 32-bit tick count.
class SteadyTickClock : public TickClock {
public:
    std::uint32_t NowMs() override;
};

}  // namespace trelvo
