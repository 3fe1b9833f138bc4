#include "fleet/retry_policy.h"

#include <algorithm>

namespace trelvo {
namespace {

constexpr std::uint32_t kFirstDelayMs = 1000;
constexpr std::uint32_t kLongestDelayMs = 30000;

}  // namespace

bool MayRetry(const RecorderResult& result) {
    switch (result.outcome.kind) {
        case Outcome::ConnectFailed:
        case Outcome::TimedOut:
        case Outcome::ConnectionLost:
            return result.reached != JobState::AwaitResult;
        default:
            return false;
    }
}

std::uint32_t RetryDelayMs(int failedAttempts, std::uint32_t random) {
    // Doubling from the first delay reaches the longest by the sixth failure.
    const int doublings = std::clamp(failedAttempts - 1, 0, 5);
    const std::uint32_t full = std::min(kFirstDelayMs << doublings, kLongestDelayMs);
    const std::uint64_t jitter = std::uint64_t{full / 5} * random >> 32;
    return full - static_cast<std::uint32_t>(jitter);
}

}  // namespace trelvo
