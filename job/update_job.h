#pragma once

#include <cstdint>
#include <string>

#include "job/job_environment.h"
#include "job/links.h"
#include "job/update_file.h"
#include "job/wire_format.h"

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

// No reply of the protocol carries more than a short version text; a larger
// announced body is refused rather than allocated.
inline constexpr std::uint32_t MAX_REPLY_BODY = 1048576;

// No file block is larger: the pacing picks the block count so that every
// block fits.
inline constexpr std::uint32_t MAX_BLOCK_SIZE = 1048576;

// Serial recorders report their version as a number; this is the first accepted.
inline constexpr std::uint32_t MIN_SERIAL_VERSION = 20070;

// Carries one update of one recorder over one link, from the start to the
// result message: version gate, password, file descriptor, the streamed
// file, the execute request. Every end, good or bad or by abort, goes
// through Close. Driven from one thread by the start operations, the network
// link's notifications and the owner's timer.
class UpdateJob : public NetLinkEvents {
public:
    UpdateJob(NetLinkInterface& net, SerialLinkInterface& serial, TickClock& clock,
              MessageBox& messages);
    ~UpdateJob() override;
    UpdateJob(const UpdateJob&) = delete;
    UpdateJob& operator=(const UpdateJob&) = delete;

    void SetOwner(JobOwner& owner) { owner_ = &owner; }

    // True when the connect is under way; on false the job has been closed
    // and the operator told why.
    bool StartNetwork(const std::string& fileName, const std::string& password,
                      const std::string& updateCode, const std::string& host, std::uint16_t port);
    // True when the port is open and the version query has been sent.
    // `port` 1 is COM1, 2 is COM2.
    bool StartSerial(const std::string& fileName, const std::string& password,
                     const std::string& updateCode, int port, int baud);
    // The same on a port named by text: "COM1", "COM2" or a device path.
    bool StartSerial(const std::string& fileName, const std::string& password,
                     const std::string& updateCode, const std::string& device, int baud);

    // Ends the job: link and file closed, Idle, inputs given back.
    void Close();
    // Moves the state machine on after a reply (or after the connect).
    void Advance();
    // Receive framing: takes at most one header or one body per call, and
    // only when all of it has arrived.
    void ProcessIncoming();

    // Called on every tick of the owner's 50 ms timer, in this order. The
    // pump sends at most one file block per tick, and only once the link has
    // passed on everything before it; it returns the progress in percent,
    // which passes 100 on the last step, or 0 outside the transfer.
    int PumpTransfer();
    // Hours, minutes and seconds still to go, or "--:--:--".
    std::string RemainingTimeText() const;

    // NetLinkEvents
    void OnConnect(int error) override;
    void OnReceive(int error) override;

    JobState state() const { return state_; }
    LinkKind linkKind() const { return linkKind_; }
    std::uint32_t startTick() const { return startTick_; }
    std::int32_t blockCount() const { return blockCount_; }
    std::int32_t blocksSent() const { return blocksSent_; }
    std::uint32_t replyBodyCapacity() const {
        return static_cast<std::uint32_t>(replyBody_.size());
    }

private:
    bool PrepareUpdate();
    bool OpenUpdateFile();
    void SetBlockCount();
    bool SendFileBlock(std::uint32_t count);
    std::string RemotePath() const;

    int AvailableBytes(std::uint8_t* peekBuffer, std::uint32_t count);
    std::uint32_t TakeBytes(std::uint8_t* buffer, std::uint32_t count);

    bool IsVersionAccepted();
    bool IsAccessGranted();
    std::string VersionText() const;

    void SendRequest(std::uint16_t command, std::uint32_t value, const Bytes& body);
    void SendRaw(const std::uint8_t* bytes, std::size_t count);
    void SendVersionQuery();
    void SendPassword();
    void SendFileDescriptor();
    void SendExecute();

    // The failure branch of the current state: Close, then its message.
    void Refuse();
    void CloseAndShow(const char* germanText);
    void Show(const char* germanText);

    NetLinkInterface& net_;
    SerialLinkInterface& serial_;
    TickClock& clock_;
    MessageBox& messages_;
    JobOwner* owner_ = nullptr;

    std::uint32_t startTick_ = 0;
    LinkKind linkKind_ = LinkKind::None;
    Bytes descriptor_;
    UpdateFile file_;
    std::string password_;
    std::string fileName_;
    std::string updateCode_;
    MessageHeader reply_;
    // Grows to the largest body received and never shrinks; its size is the capacity.
    Bytes replyBody_;
    std::uint32_t fileSize_ = 0;
    // Full blocks of fileSize_ / blockCount_ bytes; one more step sends the rest.
    std::int32_t blockCount_ = 0;
    // Pump steps done, 0 to blockCount_ + 1.
    std::int32_t blocksSent_ = 0;
    // Holds one block on its way from the file to the link; grows to the
    // largest block and is reused for every other.
    Bytes readBuffer_;
    JobState state_ = JobState::Idle;
    bool awaitingHeader_ = true;
};

}  // namespace trelvo
