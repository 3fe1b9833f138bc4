#include "fleet/update_check.h"

#include <algorithm>

namespace trelvo {

bool UpdateCheck::AttemptDue(std::uint32_t nowMs) const {
    if (attemptRunning_ || Verified() || TimeUp(nowMs)) {
        return false;
    }
    return !lastAttemptMs_ || nowMs - *lastAttemptMs_ >= kUpdateCheckIntervalMs;
}

void UpdateCheck::AttemptStarted(std::uint32_t nowMs) {
    lastAttemptMs_ = nowMs;
    attemptRunning_ = true;
}

// A recorder that did not answer this time keeps what it reported before.
void UpdateCheck::AttemptEnded(const std::optional<std::string>& version) {
    attemptRunning_ = false;
    if (version) {
        seen_ = version;
    }
}

std::uint32_t UpdateCheck::AttemptTimeoutMs(std::uint32_t replyTimeoutMs) {
    return replyTimeoutMs == 0 ? kUpdateCheckIntervalMs
                               : std::min(replyTimeoutMs, kUpdateCheckIntervalMs);
}

}  // namespace trelvo
