#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "tools/recorder-sim/sim_options.h"

namespace trelvo {

// How the simulator misbehaves on purpose, as its options ask: which
// connections it refuses, where it stops reading or cuts a link off, and
// which replies it holds back, delays or drowns in babble. The server asks;
// the plan does no I/O. The hang-up at a protocol step is the session's,
// which knows the steps; the plan only keeps the reads exact for it.
class FaultPlan {
public:
    // The options must outlive the plan.
    explicit FaultPlan(const SimOptions& options) : options_(options) {}

    // Asked once per accepted connection: its number among the refused
    // ones when it is to be reset at once, or nothing.
    std::optional<std::uint64_t> RefuseNext();

    // How many more bytes a link that has received `received` may read
    // before it is cut off or stops reading.
    std::uint64_t ReadRoom(std::uint64_t received) const;
    // The link is to be cut off, having received `received` bytes.
    bool CutOffDue(std::uint64_t received) const;
    // A cut-off resets the connection (RST) instead of closing it.
    bool Resets() const { return options_.reset; }
    // Reads must not be batched: a fault falls on an exact byte.
    bool CountsEveryByte() const;

    // How long each reply waits before it goes out.
    std::chrono::milliseconds ReplyDelay() const {
        return std::chrono::milliseconds(options_.delayMs);
    }
    // Why the next reply, after `repliesSent` on its link, is not sent;
    // nothing when it is.
    std::optional<std::string_view> Withholds(std::uint64_t repliesSent) const;
    // How often each link sends a zero byte, or nothing when none babbles.
    std::optional<std::chrono::milliseconds> BabbleEvery() const;

private:
    const SimOptions& options_;
    std::uint64_t refused_ = 0;
};

}  // namespace trelvo
