#include "tools/recorder-sim/fault_plan.h"

#include <algorithm>
#include <limits>

namespace trelvo {

std::optional<std::uint64_t> FaultPlan::RefuseNext() {
    if (refused_ >= options_.refuseFirst) {
        return std::nullopt;
    }
    return ++refused_;
}

std::uint64_t FaultPlan::ReadRoom(std::uint64_t received) const {
    std::uint64_t room = std::numeric_limits<std::uint64_t>::max();
    for (const auto& limit : {options_.closeAfterBytes, options_.stopReadingAfter}) {
        if (limit) {
            room = std::min(room, *limit - std::min(*limit, received));
        }
    }
    return room;
}

bool FaultPlan::CutOffDue(std::uint64_t received) const {
    return options_.closeAfterBytes && received >= *options_.closeAfterBytes;
}

bool FaultPlan::CountsEveryByte() const {
    return options_.closeAfterBytes || options_.stopReadingAfter ||
           options_.behaviour.hangUpAt == HangUpStep::File;
}

std::optional<std::string_view> FaultPlan::Withholds(std::uint64_t repliesSent) const {
    if (options_.silentAfter && repliesSent >= *options_.silentAfter) {
        return "silent";
    }
    if (options_.babbleMs > 0) {
        return "babbling";
    }
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> FaultPlan::BabbleEvery() const {
    if (options_.babbleMs == 0) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(options_.babbleMs);
}

}  // namespace trelvo
