#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo {

// How often a recorder that reported a successful update is asked its
// version again; it may be restarting and refuse or drop connections.
inline constexpr std::uint32_t kUpdateCheckIntervalMs = 5000;

// The check after a reported update: when to ask the recorder its version
// again and what came of it. It asks until the recorder reports the expected
// version or the time given (0: no limit) has passed; a recorder that still reports its
// old version may not have restarted yet. Times are a TickClock's
// milliseconds; the run that owns the check makes the attempts.
class UpdateCheck {
public:
    // `expected` is compared byte for byte with the version the recorder
    // reports (Windows-1252; a serial recorder's number in decimal).
    UpdateCheck(std::string expected, std::uint32_t timeoutMs, std::uint32_t nowMs)
        : expected_(std::move(expected)), timeoutMs_(timeoutMs), sinceMs_(nowMs) {}

    // Whether to start an attempt now: none is running, its turn has come
    // (at once, then every kUpdateCheckIntervalMs), and time is left.
    bool AttemptDue(std::uint32_t nowMs) const;
    void AttemptStarted(std::uint32_t nowMs);
    // The attempt is over, with the version the recorder reported, if it did.
    void AttemptEnded(const std::optional<std::string>& version);
    bool attemptRunning() const { return attemptRunning_; }

    bool Verified() const { return seen_ == expected_; }
    // Never with a time of 0, which asks for ever.
    bool TimeUp(std::uint32_t nowMs) const {
        return timeoutMs_ != 0 && nowMs - sinceMs_ >= timeoutMs_;
    }
    // The last version the recorder reported, if it ever did.
    const std::optional<std::string>& seen() const { return seen_; }

    // How long one attempt waits for its connect and for the reply, given
    // the run's reply time-out (0: none): never past the next attempt's turn.
    static std::uint32_t AttemptTimeoutMs(std::uint32_t replyTimeoutMs);

private:
    std::string expected_;
    std::uint32_t timeoutMs_;
    std::uint32_t sinceMs_;
    std::optional<std::uint32_t> lastAttemptMs_;
    bool attemptRunning_ = false;
    std::optional<std::string> seen_;
};

}  // namespace trelvo
