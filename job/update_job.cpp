#include "job/update_job.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

#include "job/version_check.h"
#include "ui/localisation/localize_text.h"

namespace trelvo {
namespace {

constexpr const char* kFileNotFound = "Gewählte Datei konnte nicht gefunden werden";
constexpr const char* kFileEmpty = "Gewählte Datei hat keinen Inhalt";
constexpr const char* kFileTooLarge = "Gewählte Datei ist zu groß";
constexpr const char* kUpdateCodeTooLong = "Update Code ist zu lang";
constexpr const char* kConnectFailed = "Verbindungsaufbau fehlgeschlagen";
constexpr const char* kPortUnavailable = "Verbindungsfehler - COM Port nicht ansprechbar";
constexpr const char* kVersionRefused =
    "Diese Version des Rekorders ist per Trelvo nicht updatefähig";
constexpr const char* kAccessDenied = "Zugang verweigert - ungültiges Passwort";
constexpr const char* kTransferFailed = "Fehler bei der Übertragung der Datei!";
constexpr const char* kUpdateSucceeded = "Aktualisierung erfolgreich beendet";

const char* ResultText(std::uint16_t status) {
    switch (status) {
        case STATUS_BAD_UPDATE_CODE:
            return "Der übertragene Updatecode ist nicht gültig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_BAD_UPDATE_FILE:
            return "Die übertragene Updatedatei ist beschädigt oder ungültig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_UPDATE_FAILED:
            return "Die Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_VERSION_NOT_UPDATABLE:
            return "Diese Version des Rekorders ist per Trelvo nicht updatefähig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        default:
            return "Unbekannter Fehler\nAktualisierung konnte nicht durchgeführt werden";
    }
}

// The password must not linger in memory once the job no longer needs it.
void Wipe(std::string& secret) {
    explicit_bzero(secret.data(), secret.size());
    secret.clear();
}

// The version text starts after four bytes the tool does not interpret and
// ends at its first NUL or at the end of the body.
constexpr std::size_t kVersionTextOffset = 4;

// An execute argument holds a two-byte id, the text and its NUL.
constexpr std::size_t kArgumentOverhead = 3;

}  // namespace

UpdateJob::UpdateJob(NetLinkInterface& net, SerialLinkInterface& serial, TickClock& clock,
                     MessageBox& messages)
    : net_(net), serial_(serial), clock_(clock), messages_(messages) {
    net_.SetEvents(this);
}

UpdateJob::~UpdateJob() {
    net_.SetEvents(nullptr);
}

bool UpdateJob::StartNetwork(const std::string& fileName, const std::string& password,
                             const std::string& updateCode, const std::string& host,
                             std::uint16_t port) {
    fileName_ = fileName;
    password_ = password;
    linkKind_ = LinkKind::Network;
    updateCode_ = updateCode;
    if (!PrepareUpdate()) {
        return false;
    }
    // A socket that cannot be made is reported like a connect that never
    // got under way, so the operator is told and gets the inputs back.
    const bool underWay = net_.Create() && net_.Connect(host, port);
    state_ = JobState::Connecting;
    if (!underWay) {
        CloseAndShow(kConnectFailed);
        return false;
    }
    return true;
}

bool UpdateJob::StartSerial(const std::string& fileName, const std::string& password,
                            const std::string& updateCode, int port, int baud) {
    return StartSerial(fileName, password, updateCode, "COM" + std::to_string(port), baud);
}

bool UpdateJob::StartSerial(const std::string& fileName, const std::string& password,
                            const std::string& updateCode, const std::string& device, int baud) {
    fileName_ = fileName;
    password_ = password;
    updateCode_ = updateCode;
    if (!PrepareUpdate()) {
        return false;
    }
    if (!serial_.Open(device, baud, true)) {
        CloseAndShow(kPortUnavailable);
        return false;
    }
    linkKind_ = LinkKind::Serial;
    state_ = JobState::QueryVersion;
    Advance();
    return true;
}

// Everything that can be refused before a link is opened.
bool UpdateJob::PrepareUpdate() {
    if (!OpenUpdateFile()) {
        return false;
    }
    // A longer code would not fit its record's 16-bit length.
    if (updateCode_.size() + kArgumentOverhead > MAX_RECORD_DATA) {
        CloseAndShow(kUpdateCodeTooLong);
        return false;
    }
    descriptor_ = BuildFileDescriptorBody(RemotePath(), fileSize_);
    return true;
}

bool UpdateJob::OpenUpdateFile() {
    if (!file_.Open(fileName_)) {
        CloseAndShow(kFileNotFound);
        return false;
    }
    // The file descriptor carries the size in 32 bits.
    if (file_.Size() > std::numeric_limits<std::uint32_t>::max()) {
        CloseAndShow(kFileTooLarge);
        return false;
    }
    fileSize_ = static_cast<std::uint32_t>(file_.Size());
    if (fileSize_ == 0) {
        CloseAndShow(kFileEmpty);
        return false;
    }
    SetBlockCount();
    return true;
}

// The network start has already chosen its link; the serial start opens the
// file before its port, so a job without a link kind paces for the serial line.
void UpdateJob::SetBlockCount() {
    if (linkKind_ == LinkKind::Network) {
        // A hundred blocks give the progress bar whole percents. Beyond 100
        // MiB that would overflow the block size, so larger files take as
        // many blocks as needed to keep each within it.
        blockCount_ = fileSize_ / 100 <= MAX_BLOCK_SIZE
                          ? 100
                          : static_cast<std::int32_t>((fileSize_ - 1) / MAX_BLOCK_SIZE + 1);
    } else {
        // Blocks of 1024 to 2047 bytes: a serial write never waits long.
        blockCount_ = static_cast<std::int32_t>(fileSize_ >> 10);
    }
    if (fileSize_ < 1024) {
        blockCount_ = 1;
    }
    blocksSent_ = 0;
}

int UpdateJob::PumpTransfer() {
    if (state_ == JobState::Idle) {
        return 0;
    }
    bool ready = false;
    switch (linkKind_) {
        case LinkKind::Serial:
            // The serial line has no notifications: replies are polled here.
            ProcessIncoming();
            ready = serial_.IsOutputEmpty();
            break;
        case LinkKind::Network:
            ready = net_.PendingBytes() == 0;
            break;
        case LinkKind::None:
            return 0;
    }
    if (state_ != JobState::Transfer || blocksSent_ > blockCount_) {
        return 0;
    }
    if (ready) {
        const std::uint32_t blocks = static_cast<std::uint32_t>(blockCount_);
        const std::uint32_t count =
            blocksSent_ == blockCount_ ? fileSize_ % blocks : fileSize_ / blocks;
        if (count != 0 && !SendFileBlock(count)) {
            return 0;
        }
        ++blocksSent_;
    }
    return static_cast<int>(static_cast<std::int64_t>(blocksSent_) * 100 / blockCount_);
}

bool UpdateJob::SendFileBlock(std::uint32_t count) {
    if (readBuffer_.size() < count) {
        readBuffer_.resize(count);
    }
    // The file may shrink or fail under the tool; bytes it did not deliver
    // must never go out as stale buffer contents.
    if (file_.Read(readBuffer_.data(), count) != count) {
        CloseAndShow(kTransferFailed);
        return false;
    }
    SendRaw(readBuffer_.data(), count);
    return true;
}

std::string UpdateJob::RemainingTimeText() const {
    const std::int32_t stepsDone = blocksSent_ == 0 ? 1 : blocksSent_;
    if (state_ != JobState::Transfer || blockCount_ <= blocksSent_) {
        return "--:--:--";
    }
    const std::uint32_t elapsed = clock_.NowMs() - startTick_;
    const std::uint32_t perBlock = elapsed / static_cast<std::uint32_t>(stepsDone);
    const std::uint32_t remaining = perBlock * static_cast<std::uint32_t>(blockCount_ - stepsDone);
    constexpr std::uint32_t kHour = 3600000;
    constexpr std::uint32_t kMinute = 60000;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", remaining / kHour,
                  remaining % kHour / kMinute, remaining % kHour % kMinute / 1000);
    return text;
}

std::string UpdateJob::RemotePath() const {
    return std::string(REMOTE_DIR) + fileName_;
}

void UpdateJob::Close() {
    switch (linkKind_) {
        case LinkKind::Network:
            net_.Close();
            break;
        case LinkKind::Serial:
            serial_.Close();
            break;
        case LinkKind::None:
            break;
    }
    file_.Close();
    Wipe(password_);
    state_ = JobState::Idle;
    linkKind_ = LinkKind::None;
    awaitingHeader_ = true;
    if (owner_ != nullptr) {
        owner_->EnableInputs(true);
    }
}

void UpdateJob::Advance() {
    switch (state_) {
        case JobState::Idle:
        case JobState::Connecting:
            return;
        case JobState::QueryVersion:
            SendVersionQuery();
            state_ = JobState::AwaitVersion;
            return;
        case JobState::AwaitVersion:
            if (!IsVersionAccepted()) {
                Refuse();
                return;
            }
            SendPassword();
            state_ = JobState::AwaitAccess;
            return;
        case JobState::AwaitAccess:
            if (!IsAccessGranted()) {
                Refuse();
                return;
            }
            SendFileDescriptor();
            state_ = JobState::Transfer;
            startTick_ = clock_.NowMs();
            return;
        case JobState::Transfer:
            if (!reply_.ValidateReply()) {
                Refuse();
                return;
            }
            SendExecute();
            state_ = JobState::AwaitResult;
            return;
        case JobState::AwaitResult:
            if (!reply_.ValidateReply()) {
                Refuse();
                return;
            }
            // The only message shown before the close: while it is open the
            // job still waits in AwaitResult and frames further replies.
            Show(kUpdateSucceeded);
            Close();
            return;
    }
}

void UpdateJob::Refuse() {
    const JobState refusedIn = state_;
    const std::uint16_t status = reply_.status;
    Close();
    switch (refusedIn) {
        case JobState::AwaitVersion:
            Show(kVersionRefused);
            break;
        case JobState::AwaitAccess:
            Show(kAccessDenied);
            break;
        case JobState::Transfer:
            Show(kTransferFailed);
            break;
        case JobState::AwaitResult:
            Show(ResultText(status));
            break;
        case JobState::Idle:
        case JobState::Connecting:
        case JobState::QueryVersion:
            break;
    }
}

void UpdateJob::CloseAndShow(const char* germanText) {
    Close();
    Show(germanText);
}

void UpdateJob::Show(const char* germanText) {
    messages_.Show(LocalizeText(germanText));
}

void UpdateJob::OnConnect(int error) {
    // Only a job that is connecting has an attempt that can end.
    if (state_ != JobState::Connecting) {
        return;
    }
    if (error != 0) {
        CloseAndShow(kConnectFailed);
        return;
    }
    state_ = JobState::QueryVersion;
    Advance();
}

void UpdateJob::OnReceive(int error) {
    if (error == 0) {
        ProcessIncoming();
    }
}

int UpdateJob::AvailableBytes(std::uint8_t* peekBuffer, std::uint32_t count) {
    if (linkKind_ == LinkKind::Serial) {
        return static_cast<int>(std::min<std::uint32_t>(
            serial_.InputCount(), static_cast<std::uint32_t>(std::numeric_limits<int>::max())));
    }
    const int peeked =
        net_.Receive(peekBuffer, static_cast<int>(count), NetLinkInterface::ReceiveMode::Peek);
    return std::max(peeked, 0);
}

std::uint32_t UpdateJob::TakeBytes(std::uint8_t* buffer, std::uint32_t count) {
    if (linkKind_ == LinkKind::Serial) {
        return serial_.Read(buffer, count);
    }
    const int taken =
        net_.Receive(buffer, static_cast<int>(count), NetLinkInterface::ReceiveMode::Take);
    return static_cast<std::uint32_t>(std::max(taken, 0));
}

void UpdateJob::ProcessIncoming() {
    if (linkKind_ == LinkKind::None) {
        return;
    }
    if (awaitingHeader_) {
        MessageHeader::Wire raw{};
        if (AvailableBytes(raw.data(), HEADER_SIZE) < static_cast<int>(HEADER_SIZE)) {
            return;
        }
        if (TakeBytes(raw.data(), HEADER_SIZE) != HEADER_SIZE) {
            // The link lost bytes it had announced: the stream is out of step,
            // and a stale header must never pass for a fresh reply.
            reply_ = MessageHeader{};
            Refuse();
            return;
        }
        reply_ = MessageHeader::FromBytes(raw);
        if (reply_.ValidateReply() && reply_.bodyLength != 0) {
            if (reply_.bodyLength > MAX_REPLY_BODY) {
                Refuse();
                return;
            }
            awaitingHeader_ = false;
            if (reply_.bodyLength > replyBody_.size()) {
                replyBody_.assign(reply_.bodyLength, 0);
            }
            return;
        }
    } else {
        const auto available =
            AvailableBytes(replyBody_.data(), static_cast<std::uint32_t>(replyBody_.size()));
        if (static_cast<std::uint32_t>(available) < reply_.bodyLength) {
            return;
        }
        if (TakeBytes(replyBody_.data(), reply_.bodyLength) != reply_.bodyLength) {
            reply_ = MessageHeader{};
            Refuse();
            return;
        }
        awaitingHeader_ = true;
    }
    if (reply_.magic == HEADER_MAGIC) {
        Advance();
    }
}

bool UpdateJob::IsVersionAccepted() {
    if (!reply_.ValidateReply()) {
        return false;
    }
    switch (linkKind_) {
        case LinkKind::Network:
            return CheckVersionText(VersionText());
        case LinkKind::Serial:
            return reply_.value >= MIN_SERIAL_VERSION;
        case LinkKind::None:
            return false;
    }
    return false;
}

std::string UpdateJob::VersionText() const {
    // Only the current reply's body counts, not what an earlier, longer one left behind.
    const std::size_t bodyLength = reply_.bodyLength;
    if (bodyLength <= kVersionTextOffset) {
        return {};
    }
    const auto begin = replyBody_.begin() + kVersionTextOffset;
    const auto end = replyBody_.begin() + static_cast<std::ptrdiff_t>(bodyLength);
    return std::string(begin, std::find(begin, end, std::uint8_t{0}));
}

bool UpdateJob::IsAccessGranted() {
    return reply_.ValidateReply() && reply_.value == ACCESS_ADMIN;
}

void UpdateJob::SendRequest(std::uint16_t command, std::uint32_t value, const Bytes& body) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, command, value, static_cast<std::uint32_t>(body.size()));
    const MessageHeader::Wire wire = header.ToBytes();
    SendRaw(wire.data(), wire.size());
    if (!body.empty()) {
        SendRaw(body.data(), body.size());
    }
}

void UpdateJob::SendRaw(const std::uint8_t* bytes, std::size_t count) {
    switch (linkKind_) {
        case LinkKind::Network:
            net_.SendBuffered(bytes, static_cast<int>(count));
            break;
        case LinkKind::Serial:
            serial_.Write(bytes, static_cast<std::uint32_t>(count));
            break;
        case LinkKind::None:
            break;
    }
}

void UpdateJob::SendVersionQuery() {
    if (linkKind_ == LinkKind::None) {
        return;
    }
    const std::uint32_t query =
        linkKind_ == LinkKind::Serial ? VERSION_QUERY_SERIAL : VERSION_QUERY_NETWORK;
    SendRequest(CMD_GET_VERSION, query, {});
}

void UpdateJob::SendPassword() {
    Bytes body(password_.begin(), password_.end());
    body.push_back(0);
    SendRequest(CMD_PASSWORD, 0, body);
    explicit_bzero(body.data(), body.size());
}

void UpdateJob::SendFileDescriptor() {
    SendRequest(CMD_FILE_DESCRIPTOR, 0, descriptor_);
}

void UpdateJob::SendExecute() {
    SendRequest(CMD_EXECUTE_UPDATE, 0, BuildExecuteBody(RemotePath(), updateCode_));
}

}  // namespace trelvo
