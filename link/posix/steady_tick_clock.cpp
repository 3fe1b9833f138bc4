#include "link/posix/steady_tick_clock.h"

#include <chrono>

namespace trelvo {

std::uint32_t SteadyTickClock::NowMs() {
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

}  // namespace trelvo
