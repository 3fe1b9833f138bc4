#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fleet/recorder_run.h"
#include "localisation/localize_text.h"

namespace trelvo {

// The message of an outcome as the operator reads it.
inline std::string ShownMessage(const JobOutcome& outcome) {
    return LocalizeText(OutcomeMessage(outcome));
}

// What every result of one run shares.
struct RunFacts {
    JobGoal goal = JobGoal::Update;
    std::string sha256;  // of the update file, lower-case hex; empty for a probe
    // The version every updated recorder is to report afterwards, in
    // Windows-1252; none when no update is checked.
    std::optional<std::string> expectVersion = std::nullopt;
};

// Tells the operator (or a script) how the recorders fare.
class Reporter {
public:
    virtual ~Reporter() = default;
    // After every tick, with the recorders still running, in start order.
    virtual void Ticked(std::span<RecorderRun* const> running) = 0;
    // Once per recorder, also for one that never started because of Ctrl-C.
    virtual void Finished(const RecorderTarget& target, const RecorderResult& result) = 0;
    // An attempt failed and the recorder will be tried again after `waitMs`.
    virtual void Retrying(const RecorderTarget& /*target*/, const RecorderResult& /*failed*/,
                          std::uint32_t /*waitMs*/) {}
    // Once, after the last recorder has finished.
    virtual void Ended() {}
};

// Hands everything to each of several reporters, in order.
class ReporterList final : public Reporter {
public:
    void Add(std::unique_ptr<Reporter> reporter) { reporters_.push_back(std::move(reporter)); }

    void Ticked(std::span<RecorderRun* const> running) override {
        for (const auto& reporter : reporters_) {
            reporter->Ticked(running);
        }
    }
    void Finished(const RecorderTarget& target, const RecorderResult& result) override {
        for (const auto& reporter : reporters_) {
            reporter->Finished(target, result);
        }
    }
    void Retrying(const RecorderTarget& target, const RecorderResult& failed,
                  std::uint32_t waitMs) override {
        for (const auto& reporter : reporters_) {
            reporter->Retrying(target, failed, waitMs);
        }
    }
    void Ended() override {
        for (const auto& reporter : reporters_) {
            reporter->Ended();
        }
    }

private:
    std::vector<std::unique_ptr<Reporter>> reporters_;
};

}  // namespace trelvo
