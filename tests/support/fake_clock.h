#pragma once

#include <cstdint>

#include "job/job_environment.h"

namespace trelvo::testing {

// A tick count that moves only when the test moves it.
class FakeClock : public TickClock {
public:
    std::uint32_t NowMs() override { return now; }
    std::uint32_t now = 0;
};

}  // namespace trelvo::testing
