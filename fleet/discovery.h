#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "fleet/reporter.h"

namespace trelvo {

// An address where a recorder answered the version query.
struct FoundRecorder {
    RecorderTarget target;  // its index is its place in address order
    RecorderResult result;

    // Whether the version passed the window's gate.
    bool accepted() const { return result.outcome.kind == Outcome::Probed; }
};

// Takes the results of a discovery's version probes and keeps those of the
// addresses where a recorder answered: a version reply, accepted or not.
// Silence, a refused connect or a peer that does not speak the protocol
// leaves nothing. With a terminal for `progress`, it keeps one line there
// counting the addresses asked and the recorders found.
class DiscoveryCollector final : public Reporter {
public:
    // `progress` may be null: no progress line.
    DiscoveryCollector(std::ostream* progress, std::uint64_t addresses)
        : progress_(progress), addresses_(addresses) {}

    void Ticked(std::span<RecorderRun* const> running) override;
    void Finished(const RecorderTarget& target, const RecorderResult& result) override;
    void Ended() override;

    // In address order.
    std::vector<FoundRecorder> Found() const;

private:
    std::ostream* progress_;
    std::uint64_t addresses_;
    std::uint64_t asked_ = 0;
    std::uint64_t shownAsked_ = ~std::uint64_t{0};
    std::vector<FoundRecorder> found_;
};

// "ADDRESS  accepted|refused  VERSION", the version terminal-safe ("-" when
// the reply carried none).
std::string DiscoveryLine(const FoundRecorder& recorder);

// {"host":ADDRESS,"version":V,"accepted":B}, V null when the reply carried none.
nlohmann::json DiscoveryJson(const FoundRecorder& recorder);

// "ADDRESS ADDRESS # VERSION": a line of an lmhosts file whose name is the
// address, so the window and --hosts-file offer it; the version stands
// after the name, where the hosts reader ignores the rest of the line and
// lmhosts readers take "#" for a comment. The version stays in
// Windows-1252, as the file is read, with its control characters escaped
// as on the terminal (\xNN), so none can end the line early.
std::string HostsFileLine(const FoundRecorder& recorder);

}  // namespace trelvo
