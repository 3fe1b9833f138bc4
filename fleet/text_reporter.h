#pragma once

#include <ostream>
#include <string>
#include <unordered_map>

#include "fleet/reporter.h"

namespace trelvo {

// Output for people. On a terminal (`size.columns` > 0) the running
// recorders' progress lines are redrawn in place, as many as fit; elsewhere a progress line
// is written when a recorder's state changes or its percent passes a tenth.
// Every recorder ends with one result line, the run with a summary line.
// Names and versions from outside are shown terminal-safe.
class TextReporter final : public Reporter {
public:
    struct TerminalSize {
        int columns = 0;  // 0: not a terminal
        int rows = 0;
    };
    TextReporter(std::ostream& out, TerminalSize size, RunFacts facts)
        : out_(out), size_(size), facts_(std::move(facts)) {}

    void Ticked(std::span<RecorderRun* const> running) override;
    void Finished(const RecorderTarget& target, const RecorderResult& result) override;
    void Retrying(const RecorderTarget& target, const RecorderResult& failed,
                  std::uint32_t waitMs) override;
    // "N recorders: A ok, B skipped, C failed, D aborted  sha256=HEX" (no
    // skips and no digest for a probe).
    void Ended() override;

    // "NAME  STATUS  PCT%  HH:MM:SS", the status text localised.
    static std::string ProgressLine(const RecorderRun& run);
    // "NAME  ok|skipped|FAILED|ABORTED  MESSAGE", the message's line breaks
    // shown as " / "; a probe adds "  version V", and so does an update
    // whose success was checked, with the version reported afterwards.
    static std::string ResultLine(const RecorderTarget& target, const RecorderResult& result);

private:
    void Redraw(std::span<RecorderRun* const> running);
    void WriteChanges(std::span<RecorderRun* const> running);
    void Erase();
    std::string Fit(std::string line) const;

    struct Shown {
        JobState state;
        int tenth;
    };

    std::ostream& out_;
    TerminalSize size_;
    RunFacts facts_;
    int ok_ = 0;
    int skipped_ = 0;
    int failed_ = 0;
    int aborted_ = 0;
    int drawnLines_ = 0;
    std::string drawn_;
    // By the recorder's index: looked up for every running recorder on every tick.
    std::unordered_map<int, Shown> shown_;
};

}  // namespace trelvo
