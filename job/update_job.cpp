#include "job/update_job.h"

#include <algorithm>

#include "job/requests.h"
#include "job/version_check.h"
#include "text/secure_wipe.h"
#include "text/terminal_text.h"

namespace trelvo {

bool IsBlankHost(std::string_view host) {
    return host.find_first_not_of(" \t") == std::string_view::npos;
}

UpdateJob::UpdateJob(NetLinkInterface& net, SerialLinkInterface& serial, TickClock& clock,
                     MessageBox& messages)
    : net_(net), serial_(serial), clock_(clock), messages_(messages) {
    net_.SetEvents(this);
}

UpdateJob::~UpdateJob() {
    net_.SetEvents(nullptr);
}

bool UpdateJob::StartNetwork(const UpdateSource& file, const std::string& password,
                             const std::string& updateCode, const std::string& host,
                             std::uint16_t port) {
    linkKind_ = LinkKind::Network;
    link_ = &netLink_;
    if (!Prepare(file, password, updateCode)) {
        return false;
    }
    // A socket that cannot be made, or a blank host, is reported like a
    // connect that never got under way, so the operator is told and gets
    // the inputs back.
    const bool underWay = !IsBlankHost(host) && net_.Create() && net_.Connect(host, port);
    state_ = JobState::Connecting;
    StartWaiting();
    if (!underWay) {
        EndAndShow({Outcome::ConnectFailed});
        return false;
    }
    return true;
}

bool UpdateJob::StartSerial(const UpdateSource& file, const std::string& password,
                            const std::string& updateCode, const std::string& device, int baud) {
    if (!Prepare(file, password, updateCode)) {
        return false;
    }
    if (!serial_.Open(device, baud, true)) {
        EndAndShow({Outcome::PortUnavailable});
        return false;
    }
    linkKind_ = LinkKind::Serial;
    link_ = &serialLink_;
    state_ = JobState::QueryVersion;
    Advance();
    return true;
}

// Everything that can be refused before a link is opened.
bool UpdateJob::Prepare(const UpdateSource& file, const std::string& password,
                        const std::string& updateCode) {
    recorderVersion_.reset();
    source_ = file;
    // The job's own copies, wiped when the job ends.
    password_ = Secret(std::string(password));
    updateCode_ = Secret(std::string(updateCode));
    // A probe sends no file and needs none.
    if (goal_ != JobGoal::Update) {
        return true;
    }
    if (const Outcome opened = OpenUpdateFile(file_, source_); opened != Outcome::Succeeded) {
        EndAndShow({opened});
        return false;
    }
    // The network start has already chosen its link; the serial start opens
    // the file before its port, so a job without a link kind paces for the
    // serial line.
    pacer_.Plan(static_cast<std::uint32_t>(file_.Size()), linkKind_);
    // A longer code would not fit its record's 16-bit length.
    if (updateCode_.text().size() + EXECUTE_ARGUMENT_EXTRA > MAX_RECORD_DATA) {
        EndAndShow({Outcome::CodeTooLong});
        return false;
    }
    return true;
}

int UpdateJob::PumpTransfer() {
    if (state_ == JobState::Idle || link_ == nullptr) {
        return 0;
    }
    if (link_->PolledForReplies()) {
        const std::uint64_t takenBefore = framer_.bytesTaken();
        // May move the job on, or end it.
        ProcessIncoming();
        if (state_ == JobState::Idle) {
            return 0;
        }
        // What the line delivered before it went is framed first, and
        // nothing more is sent into it meanwhile: the job ends only once a
        // tick takes nothing more from it.
        if (link_->Lost()) {
            if (framer_.bytesTaken() == takenBefore) {
                EndLost();
            }
            return 0;
        }
    }
    if (TimedOut()) {
        EndAndShow({Outcome::TimedOut});
        return 0;
    }
    if (state_ != JobState::Transfer || pacer_.Finished()) {
        return 0;
    }
    switch (pacer_.Next(*link_, file_)) {
        case TransferPacer::Step::Held:
            break;
        case TransferPacer::Step::Sent:
            // The link passed on everything before this block: the recorder
            // is taking the file, and the wait for its reply starts again.
            StartWaiting();
            break;
        case TransferPacer::Step::FileShort:
            EndAndShow({Outcome::TransferFailed});
            return 0;
    }
    return pacer_.Percent();
}

std::string UpdateJob::RemainingTimeText() const {
    return FormatRemainingTime(state_ == JobState::Transfer ? pacer_.RemainingMs(clock_.NowMs())
                                                            : std::nullopt);
}

std::string UpdateJob::RemotePath() const {
    return std::string(REMOTE_DIR) + source_.remoteName;
}

void UpdateJob::Close() {
    End({Outcome::Aborted});
}

void UpdateJob::End(const JobOutcome& outcome) {
    if (link_ != nullptr) {
        link_->Close();
    }
    file_.Close();
    pacer_.Stop();
    password_.Wipe();
    updateCode_.Wipe();
    endedIn_ = state_;
    state_ = JobState::Idle;
    linkKind_ = LinkKind::None;
    link_ = nullptr;
    framer_.Reset();
    resultIn_ = false;
    if (owner_ != nullptr) {
        owner_->EnableInputs(true);
        owner_->JobEnded(outcome);
    }
}

void UpdateJob::Advance() {
    switch (state_) {
        case JobState::Idle:
        case JobState::Connecting:
            return;
        case JobState::QueryVersion:
            Send(VersionQueryRequest(linkKind_));
            state_ = JobState::AwaitVersion;
            return;
        case JobState::AwaitVersion:
            if (!framer_.accepted()) {
                Refuse();
                return;
            }
            {
                const std::string version = linkKind_ == LinkKind::Serial
                                                ? std::to_string(framer_.header().value)
                                                : VersionTextOf(framer_.body());
                // Kept cut short, but judged whole.
                recorderVersion_ = CutToKeptLength(version);
                if (IsVersionToSkip(version)) {
                    EndAndShow({Outcome::Skipped});
                    return;
                }
            }
            if (!IsVersionAccepted()) {
                Refuse();
                return;
            }
            if (goal_ == JobGoal::ProbeVersion) {
                EndAndShow({Outcome::Probed});
                return;
            }
            Send(PasswordRequest(password_.text()));
            state_ = JobState::AwaitAccess;
            return;
        case JobState::AwaitAccess:
            if (!IsAccessGranted()) {
                Refuse();
                return;
            }
            if (goal_ == JobGoal::ProbeAccess) {
                EndAndShow({Outcome::Probed});
                return;
            }
            Send(FileDescriptorRequest(RemotePath(), pacer_.fileSize()));
            state_ = JobState::Transfer;
            pacer_.Start(clock_.NowMs());
            return;
        case JobState::Transfer:
            if (!framer_.accepted()) {
                Refuse();
                return;
            }
            Send(ExecuteRequest(RemotePath(), updateCode_.text()));
            state_ = JobState::AwaitResult;
            return;
        case JobState::AwaitResult:
            if (!framer_.accepted()) {
                Refuse();
                return;
            }
            // The only message shown before the close: while it is open the
            // job still waits in AwaitResult and frames further replies.
            resultIn_ = true;
            Show({Outcome::Succeeded});
            End({Outcome::Succeeded});
            return;
    }
}

void UpdateJob::Refuse() {
    switch (state_) {
        case JobState::AwaitVersion:
            EndAndShow({Outcome::VersionRefused});
            return;
        case JobState::AwaitAccess:
            EndAndShow({Outcome::AccessDenied});
            return;
        case JobState::Transfer:
            EndAndShow({Outcome::TransferFailed});
            return;
        case JobState::AwaitResult:
            EndAndShow({Outcome::RefusedByRecorder, framer_.header().status});
            return;
        case JobState::Idle:
        case JobState::Connecting:
        case JobState::QueryVersion:
            // No reply is awaited here, so there is nothing to refuse: the
            // job just ends.
            End({Outcome::Aborted});
            return;
    }
}

void UpdateJob::EndAndShow(const JobOutcome& outcome) {
    End(outcome);
    Show(outcome);
}

void UpdateJob::Show(const JobOutcome& outcome) {
    messages_.Show(std::string(OutcomeMessage(outcome)));
}

void UpdateJob::StartWaiting() {
    waitingSinceMs_ = clock_.NowMs();
}

bool UpdateJob::TimedOut() {
    const std::uint32_t limit =
        state_ == JobState::AwaitResult ? resultTimeoutMs_ : replyTimeoutMs_;
    return limit != 0 && state_ != JobState::Idle && clock_.NowMs() - waitingSinceMs_ >= limit;
}

void UpdateJob::EndLost() {
    if (state_ != JobState::Idle && !resultIn_) {
        EndAndShow({Outcome::ConnectionLost});
    }
}

void UpdateJob::OnConnect(int error) {
    // Only a job that is connecting has an attempt that can end.
    if (state_ != JobState::Connecting) {
        return;
    }
    if (error != 0) {
        EndAndShow({Outcome::ConnectFailed});
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

void UpdateJob::OnClose(int /*error*/) {
    EndLost();
}

void UpdateJob::ProcessIncoming() {
    if (link_ == nullptr) {
        return;
    }
    link_->Gather();
    // No notification comes again for bytes the link has read already:
    // everything whole is framed now. Each turn takes bytes, so the loop
    // ends. On a line that has gone, one piece is framed per call: what it
    // delivered before it went is still read, and the job ends on the first
    // call that takes nothing.
    while (link_ != nullptr && FrameNext()) {
        if (link_ == nullptr || link_->Lost()) {
            break;
        }
    }
}

bool UpdateJob::FrameNext() {
    switch (framer_.Next(*link_)) {
        case ReplyFramer::Step::Waiting:
            return false;
        case ReplyFramer::Step::Taken:
            return true;
        case ReplyFramer::Step::Reply:
            Advance();
            return true;
        case ReplyFramer::Step::Broken:
            Refuse();
            return false;
    }
    return false;
}

// Judges a reply already validated.
bool UpdateJob::IsVersionAccepted() const {
    switch (linkKind_) {
        case LinkKind::Network:
            return CheckVersionText(VersionTextOf(framer_.body()));
        case LinkKind::Serial:
            return framer_.header().value >= MIN_SERIAL_VERSION;
        case LinkKind::None:
            return false;
    }
    return false;
}

bool UpdateJob::IsVersionToSkip(const std::string& version) const {
    return std::find(skipVersions_.begin(), skipVersions_.end(), version) != skipVersions_.end();
}

bool UpdateJob::IsAccessGranted() const {
    return framer_.accepted() && framer_.header().value == ACCESS_ADMIN;
}

// Every request is answered by one reply, and its deadline starts now.
void UpdateJob::Send(Bytes request) {
    if (link_ != nullptr) {
        link_->HandOver(request.data(), request.size());
    }
    // The password's or the update code's request: no copy of it outlives
    // the hand-over.
    SecureWipe(request.data(), request.size());
    StartWaiting();
}

}  // namespace trelvo
