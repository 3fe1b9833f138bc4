#pragma once

#include <span>
#include <string>

#include "tools/cli/recorder_run.h"
#include "ui/localisation/localize_text.h"

namespace trelvo {

// The message of an outcome as the operator reads it.
inline std::string ShownMessage(const JobOutcome& outcome) {
    return LocalizeText(OutcomeMessage(outcome));
}

// Tells the operator (or a script) how the recorders fare.
class Reporter {
public:
    virtual ~Reporter() = default;
    // After every tick, with the recorders still running, in start order.
    virtual void Ticked(std::span<RecorderRun* const> running) = 0;
    // Once per recorder, also for one that never started because of Ctrl-C.
    virtual void Finished(const RecorderTarget& target, const RecorderResult& result) = 0;
};

}  // namespace trelvo
