#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_environment.h"
#include "job/job_link.h"
#include "job/job_outcome.h"
#include "job/links.h"
#include "job/reply_framer.h"
#include "job/transfer_pacer.h"
#include "job/update_file.h"
#include "job/wire_format.h"
#include "text/secret.h"

namespace trelvo {

enum class JobState : std::int32_t {
    Idle = 0,
    Connecting = 1,    // network only: the connect attempt is under way
    QueryVersion = 2,  // set and left within one call
    AwaitVersion = 3,
    AwaitAccess = 4,
    Transfer = 5,  // file descriptor sent, file streaming, transfer reply awaited
    AwaitResult = 6,
};

// The TCP port recorders listen on for updates.
inline constexpr std::uint16_t UPDATE_PORT = 30000;

// The serial rate when none is chosen: the fastest the window offers.
inline constexpr int DEFAULT_SERIAL_BAUD = 115200;

// Serial recorders report their version as a number; this is the first accepted.
inline constexpr std::uint32_t MIN_SERIAL_VERSION = 20070;

// How far a job goes. A probe asks the version, and with ProbeAccess also
// sends the password, then ends; it needs no update file and never
// announces or sends one.
enum class JobGoal : std::int32_t { Update, ProbeVersion, ProbeAccess };

// Empty, or nothing but spaces and tabs: no recorder's name or address.
bool IsBlankHost(std::string_view host);

// Carries one update of one recorder over one link, from the start to the
// result message: version gate, password, file descriptor, the streamed
// file, the execute request. Every end, good or bad or by abort, goes
// through Close and reports one JobOutcome to the owner. Driven from one
// thread by the start operations, the network link's notifications and the
// owner's timer.
class UpdateJob : public NetLinkEvents {
public:
    UpdateJob(NetLinkInterface& net, SerialLinkInterface& serial, TickClock& clock,
              MessageBox& messages);
    ~UpdateJob() override;
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    void SetOwner(JobOwner& owner) { owner_ = &owner; }

    // A reply that has not come in whole this long after its request went
    // out (or, in the transfer, after the last block the link passed on)
    // ends the job with Outcome::TimedOut; so does a connect that takes as
    // long. Bytes that do not make a reply do not put the deadline off. 0
    // waits for ever, as the window does. The reply to the execute request
    // has a limit of its own: the recorder is carrying out the update.
    void SetReplyTimeout(std::uint32_t ms) { replyTimeoutMs_ = ms; }
    void SetResultTimeout(std::uint32_t ms) { resultTimeoutMs_ = ms; }
    // Applies from the next start.
    void SetGoal(JobGoal goal) { goal_ = goal; }
    // A recorder whose version reply (text, or serial number in decimal)
    // equals one of these is left alone before the password goes out, with
    // Outcome::Skipped.
    void SetSkipVersions(std::vector<std::string> versions) { skipVersions_ = std::move(versions); }

    // True when the connect is under way; on false the job has been closed
    // and the operator told why. A blank host (IsBlankHost) is refused as a
    // connect that failed: a resolver would take it for this machine.
    bool StartNetwork(const UpdateSource& file, const std::string& password,
                      const std::string& updateCode, const std::string& host, std::uint16_t port);
    bool StartNetwork(const std::string& fileName, const std::string& password,
                      const std::string& updateCode, const std::string& host, std::uint16_t port) {
        return StartNetwork(UpdateSource{fileName, fileName, {}}, password, updateCode, host, port);
    }
    // True when the port is open and the version query has been sent. The
    // port is "COM1", "COM2" or a device path.
    bool StartSerial(const UpdateSource& file, const std::string& password,
                     const std::string& updateCode, const std::string& device, int baud);
    bool StartSerial(const std::string& fileName, const std::string& password,
                     const std::string& updateCode, const std::string& device, int baud) {
        return StartSerial(UpdateSource{fileName, fileName, {}}, password, updateCode, device,
                           baud);
    }
    // `port` 1 is COM1, 2 is COM2.
    bool StartSerial(const std::string& fileName, const std::string& password,
                     const std::string& updateCode, int port, int baud) {
        return StartSerial(fileName, password, updateCode, "COM" + std::to_string(port), baud);
    }

    // Ends the job: link and file closed, Idle, inputs given back. Called
    // from outside, this is an abort: the outcome is Outcome::Aborted.
    void Close();
    // Moves the state machine on after a reply (or after the connect).
    void Advance();
    // Receive framing: takes every whole header and body that has arrived,
    // each only once all of it is there, and hands each reply on in turn.
    void ProcessIncoming();

    // Called on every tick of the owner's 50 ms timer, in this order. The
    // pump sends at most one file block per tick, and only once the link has
    // passed on everything before it; it returns the progress in percent,
    // which passes 100 on the last step, or 0 outside the transfer. It also
    // ends a job whose line has failed or whose recorder fell silent.
    int PumpTransfer();
    // Hours, minutes and seconds still to go, or "--:--:--".
    std::string RemainingTimeText() const;

    // NetLinkEvents
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void OnClose(int error) override;

    JobState state() const { return state_; }
    // The state the job was in when it last ended.
    JobState endedIn() const { return endedIn_; }
    // The recorder's version as its version reply gave it, if that was
    // accepted as a reply: the text over the network, the number over a
    // serial line; cut to MAX_KEPT_TEXT characters.
    const std::optional<std::string>& recorderVersion() const { return recorderVersion_; }
    LinkKind linkKind() const { return linkKind_; }
    std::uint32_t startTick() const { return pacer_.startMs(); }
    std::int32_t blockCount() const { return pacer_.blockCount(); }
    std::int32_t blocksSent() const { return pacer_.stepsDone(); }
    // Bytes of the update file handed to the link in the current or last transfer.
    std::uint64_t fileBytesSent() const { return pacer_.BytesSent(); }
    std::uint32_t replyBodyCapacity() const { return framer_.capacity(); }

private:
    bool Prepare(const UpdateSource& file, const std::string& password,
                 const std::string& updateCode);
    std::string RemotePath() const;

    bool IsVersionAccepted() const;
    bool IsVersionToSkip(const std::string& version) const;
    bool IsAccessGranted() const;

    void Send(Bytes request);

    // The failure branch of the current state: Close, then its message.
    void Refuse();
    // Every end: link and file closed, inputs back, the outcome reported.
    void End(const JobOutcome& outcome);
    void EndAndShow(const JobOutcome& outcome);
    void Show(const JobOutcome& outcome);

    // One header or one body, if all of it is there, and the reply handed
    // on; false when nothing more is to be framed now.
    bool FrameNext();

    // The job begins to wait for the recorder: its deadline counts from now.
    void StartWaiting();
    bool TimedOut();
    // The recorder or the line has gone while the job still needed it.
    void EndLost();

    NetLinkInterface& net_;
    SerialLinkInterface& serial_;
    TickClock& clock_;
    MessageBox& messages_;
    JobOwner* owner_ = nullptr;
    NetJobLink netLink_{net_};
    SerialJobLink serialLink_{serial_};
    // The link of the running job, or null.
    JobLink* link_ = nullptr;

    LinkKind linkKind_ = LinkKind::None;
    UpdateFile file_;
    Secret password_;
    UpdateSource source_;
    Secret updateCode_;
    ReplyFramer framer_;
    TransferPacer pacer_;
    JobState state_ = JobState::Idle;
    JobState endedIn_ = JobState::Idle;

    JobGoal goal_ = JobGoal::Update;
    std::vector<std::string> skipVersions_;
    std::optional<std::string> recorderVersion_;
    std::uint32_t replyTimeoutMs_ = 0;
    std::uint32_t resultTimeoutMs_ = 0;
    // The result reply has been accepted and its success is being shown;
    // the recorder may hang up meanwhile without taking it back.
    bool resultIn_ = false;
    // When the job began to wait for what it waits for now.
    std::uint32_t waitingSinceMs_ = 0;
};

}  // namespace trelvo
