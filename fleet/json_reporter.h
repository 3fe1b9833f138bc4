#pragma once

#include <ostream>
#include <unordered_map>

#include "fleet/reporter.h"

namespace trelvo {

// Output for scripts: one JSON object per line.
//   {"event":"state","recorder":I,"host":H,"attempt":A,"state":NAME,"text":STATUS}
//   {"event":"progress","recorder":I,"host":H,"attempt":A,"percent":P,"remaining":"HH:MM:SS"}
//   {"event":"retry","recorder":I,"host":H,"attempt":A,"outcome":O,"message":M,"state":NAME,
//    "wait_seconds":S}
//   {"event":"result", ...the fields of ResultFields...}
// I is the recorder's place on the command line (from 0), A counts its
// attempts from 1 (a retry event is about the attempt that failed), NAME a
// job state name such as "Transfer", STATUS the localised text the window
// shows, P 0 to 100.
class JsonReporter final : public Reporter {
public:
    JsonReporter(std::ostream& out, RunFacts facts) : out_(out), facts_(std::move(facts)) {}

    void Ticked(std::span<RecorderRun* const> running) override;
    void Finished(const RecorderTarget& target, const RecorderResult& result) override;
    void Retrying(const RecorderTarget& target, const RecorderResult& failed,
                  std::uint32_t waitMs) override;

private:
    struct Shown {
        JobState state;
        int percent;
    };

    std::ostream& out_;
    RunFacts facts_;
    // By the recorder's index: looked up for every running recorder on every tick.
    std::unordered_map<int, Shown> shown_;
};

}  // namespace trelvo
