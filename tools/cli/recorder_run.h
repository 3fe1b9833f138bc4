#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "job/update_job.h"
#include "tools/cli/secret_text.h"
#include "tools/cli/watched_links.h"

namespace trelvo {

// One recorder of a run: a host for the network, a device for a serial line.
struct RecorderTarget {
    int index = 0;  // position in the command line's order; names may repeat
    std::string name;
    bool serial = false;
};

// What every recorder of a run gets.
struct UpdateRequest {
    std::string fileName;  // bare name, opened in the current folder
    const SecretText* password = nullptr;
    std::string updateCode;
    std::uint16_t port = UPDATE_PORT;
    int baud = 115200;
    std::uint32_t timeoutMs = 0;  // 0: wait like the window
};

// The real links of one recorder; tests hand in fakes.
struct RecorderLinks {
    std::unique_ptr<NetLinkInterface> net;
    std::unique_ptr<SerialLinkInterface> serial;
};

struct RecorderResult {
    bool ok = false;
    bool aborted = false;               // ended by the tool (Ctrl-C) without a message
    std::string message;                // the job's own text, exactly as the window shows it
    JobState reached = JobState::Idle;  // the last state the job was seen in
    double seconds = 0;
};

// One UpdateJob with its own links, driven exactly as the window drives its
// job: started once, then PumpTransfer and RemainingTimeText on every tick
// of the shared timer. The job's message is the result; its close (the call
// that gives the window its inputs back) is the end, reported through
// `onEnd` while the job is still inside its close, so `onEnd` must only
// schedule the collection of the result.
class RecorderRun final : private MessageBox, private JobOwner {
public:
    RecorderRun(RecorderTarget target, RecorderLinks links, TickClock& clock,
                std::function<void()> onEnd);
    ~RecorderRun() override;
    RecorderRun(const RecorderRun&) = delete;
    RecorderRun& operator=(const RecorderRun&) = delete;

    void Start(const UpdateRequest& request);
    // One tick: the pump, the time text, then the inactivity limit.
    void Tick();
    // Ends a running job through its Close, as the window's abort does.
    void Abort();

    bool ended() const { return ended_; }
    const RecorderTarget& target() const { return target_; }
    JobState state() const { return job_.state(); }
    // Percent for display: 0 to 100, never going back within one update.
    int percent() const { return percent_; }
    const std::string& remaining() const { return remaining_; }
    RecorderResult Result() const;

private:
    void Show(const std::string& text) override;
    void EnableInputs(bool enable) override;
    void NoteState();

    RecorderTarget target_;
    RecorderLinks links_;
    TickClock& clock_;
    std::function<void()> onEnd_;
    ActivityWatch watch_;
    WatchedNetLink net_;
    WatchedSerialLink serial_;
    UpdateJob job_;

    std::uint32_t timeoutMs_ = 0;
    std::uint32_t startMs_ = 0;
    std::uint32_t endMs_ = 0;
    bool started_ = false;
    bool ended_ = false;
    bool aborted_ = false;
    bool hasMessage_ = false;
    std::string message_;
    JobState reached_ = JobState::Idle;
    int percent_ = 0;
    std::string remaining_ = "--:--:--";
};

}  // namespace trelvo
