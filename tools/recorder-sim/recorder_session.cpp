#include "tools/recorder-sim/recorder_session.h"

#include <algorithm>

#include "tools/recorder-sim/request_check.h"

namespace trelvo {

namespace wire = recorder_wire;

RecorderSession::RecorderSession(const RecorderBehaviour& behaviour, SinkFactory makeSink)
    : behaviour_(behaviour), makeSink_(std::move(makeSink)) {}

bool RecorderSession::Feed(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty() && phase_ != Phase::Broken && !hangUpDue_) {
        std::size_t used = 0;
        switch (phase_) {
            case Phase::Header:
                used = TakeHeader(bytes);
                break;
            case Phase::Body:
                used = TakeBody(bytes);
                break;
            case Phase::FileData:
                used = TakeFileData(bytes);
                break;
            case Phase::Broken:
                break;
        }
        bytes = bytes.subspan(used);
    }
    return phase_ != Phase::Broken;
}

void RecorderSession::Resync() {
    phase_ = Phase::Header;
    pending_.clear();
    transfer_ = Transfer{};
}

std::string RecorderSession::UnfinishedWork() const {
    switch (phase_) {
        case Phase::Header:
            return pending_.empty() ? "" : "in the middle of a request header";
        case Phase::Body:
            return "in the middle of a request body";
        case Phase::FileData:
            return "during the file transfer, " + std::to_string(transfer_.size - transfer_.left) +
                   " of " + std::to_string(transfer_.size) + " bytes received";
        case Phase::Broken:
            break;
    }
    return "";
}

std::size_t RecorderSession::TakeHeader(std::span<const std::uint8_t> bytes) {
    const std::size_t take = std::min(bytes.size(), wire::HEADER_SIZE - pending_.size());
    const auto piece = bytes.first(take);
    pending_.insert(pending_.end(), piece.begin(), piece.end());
    if (pending_.size() < wire::HEADER_SIZE) {
        return take;
    }
    header_ = wire::ReadRequestHeader(pending_);
    pending_.clear();
    if (const auto problem = CheckRequestHeader(header_)) {
        Break(*problem);
    } else if (header_.bodyLength == 0) {
        Dispatch({});
    } else {
        phase_ = Phase::Body;
    }
    return take;
}

std::size_t RecorderSession::TakeBody(std::span<const std::uint8_t> bytes) {
    const std::size_t take =
        std::min<std::size_t>(bytes.size(), header_.bodyLength - pending_.size());
    const auto piece = bytes.first(take);
    pending_.insert(pending_.end(), piece.begin(), piece.end());
    if (pending_.size() == header_.bodyLength) {
        phase_ = Phase::Header;
        const wire::Bytes body = std::exchange(pending_, {});
        Dispatch(body);
    }
    return take;
}

std::size_t RecorderSession::TakeFileData(std::span<const std::uint8_t> bytes) {
    const std::size_t take = std::min<std::size_t>(bytes.size(), transfer_.left);
    const auto piece = bytes.first(take);
    transfer_.hash.Update(piece);
    if (transfer_.sink && !transfer_.sink->Write(piece)) {
        AddNote(NoteKind::Request, "cannot save the file: " + transfer_.sink->Error());
        transfer_.sink.reset();
    }
    transfer_.left -= static_cast<std::uint32_t>(take);
    if (take != 0) {
        AddNote(NoteKind::FileBytes,
                "file bytes " + std::to_string(transfer_.size - transfer_.left));
        if (HangsUpAt(HangUpStep::File)) {
            return take;
        }
    }
    if (transfer_.left == 0) {
        FinishTransfer();
    }
    return take;
}

void RecorderSession::Dispatch(std::span<const std::uint8_t> body) {
    switch (header_.command) {
        case wire::CMD_GET_VERSION:
            AnswerVersion();
            break;
        case wire::CMD_PASSWORD:
            AnswerPassword(body);
            break;
        case wire::CMD_FILE_DESCRIPTOR:
            StartTransfer(body);
            break;
        case wire::CMD_EXECUTE_UPDATE:
            AnswerExecute(body);
            break;
        default:
            break;  // CheckRequestHeader lets no other command through
    }
}

void RecorderSession::AnswerVersion() {
    if (HangsUpAt(HangUpStep::Version)) {
        return;
    }
    // A serial recorder reports a number in `value`; over the network the
    // text follows four leading body bytes, which here repeat that number.
    if (header_.value == wire::VERSION_QUERY_SERIAL) {
        AddNote(NoteKind::Request,
                "version query (serial), answering " + std::to_string(behaviour_.versionNumber));
        AddReply(ReplyKind::Version, wire::STATUS_OK, behaviour_.versionNumber, {});
        return;
    }
    AddNote(NoteKind::Request,
            "version query (network), answering " + Printable(behaviour_.versionText));
    wire::Bytes body;
    wire::AppendU32(body, behaviour_.versionNumber);
    body.insert(body.end(), behaviour_.versionText.begin(), behaviour_.versionText.end());
    body.push_back(0);
    AddReply(ReplyKind::Version, wire::STATUS_OK, behaviour_.versionNumber, body);
}

void RecorderSession::AnswerPassword(std::span<const std::uint8_t> body) {
    const Parsed<std::string> parsed = ParsePasswordBody(body);
    if (!parsed.request) {
        Break(parsed.problem);
        return;
    }
    if (HangsUpAt(HangUpStep::Password)) {
        return;
    }
    const bool matches = *parsed.request == behaviour_.password;
    const std::uint32_t access = matches ? behaviour_.access : ACCESS_NONE;
    admin_ = access == wire::ACCESS_ADMIN;
    AddNote(NoteKind::Request, std::string("password (") + (matches ? "accepted" : "refused") +
                                   "), access " + std::to_string(access));
    AddReply(ReplyKind::Access, wire::STATUS_OK, access, {});
}

void RecorderSession::StartTransfer(std::span<const std::uint8_t> body) {
    Parsed<FileDescriptorRequest> parsed = ParseFileDescriptorBody(body);
    if (!parsed.request) {
        Break(parsed.problem);
        return;
    }
    if (HangsUpAt(HangUpStep::Descriptor)) {
        return;
    }
    transfer_ = Transfer{};
    transfer_.remotePath = std::move(parsed.request->remotePath);
    transfer_.size = transfer_.left = parsed.request->fileSize;
    transfer_.allowed = admin_;
    // Without administrator access the bytes still have to be taken off
    // the line to find the next request, but they are not kept.
    if (admin_ && makeSink_) {
        transfer_.sink = makeSink_(transfer_.remotePath, transfer_.size);
    }
    AddNote(NoteKind::Request, "file descriptor " + Printable(transfer_.remotePath) + " " +
                                   std::to_string(transfer_.size) + " bytes" +
                                   (admin_ ? "" : " (no administrator access)"));
    phase_ = Phase::FileData;
    if (transfer_.left == 0) {
        FinishTransfer();
    }
}

void RecorderSession::FinishTransfer() {
    phase_ = Phase::Header;
    AddNote(NoteKind::FileReceived, "file received " + std::to_string(transfer_.size) +
                                        " bytes sha256=" + Sha256::Hex(transfer_.hash.Finish()));
    if (transfer_.sink) {
        if (const auto savedAt = transfer_.sink->Commit()) {
            AddNote(NoteKind::Request, "saved to " + Printable(*savedAt));
        } else {
            AddNote(NoteKind::Request, "cannot save the file: " + transfer_.sink->Error());
        }
    }
    const std::uint16_t status =
        transfer_.allowed ? behaviour_.transferStatus : wire::STATUS_UPDATE_FAILED;
    receivedPath_ = status == wire::STATUS_OK ? std::optional(transfer_.remotePath) : std::nullopt;
    transfer_ = Transfer{};
    AddReply(ReplyKind::Transfer, status, 0, {});
}

void RecorderSession::AnswerExecute(std::span<const std::uint8_t> body) {
    const Parsed<ExecuteRequest> parsed = ParseExecuteBody(body);
    if (!parsed.request) {
        Break(parsed.problem);
        return;
    }
    if (HangsUpAt(HangUpStep::Execute)) {
        return;
    }
    const ExecuteRequest& request = *parsed.request;
    std::uint16_t status = behaviour_.resultStatus;
    if (receivedPath_ != request.remotePath) {
        status =
            wire::STATUS_BAD_UPDATE_FILE;  // nothing (or another file) was received under that path
    } else if (behaviour_.updateCode && *behaviour_.updateCode != request.updateCode) {
        status = wire::STATUS_BAD_UPDATE_CODE;
    }
    AddNote(NoteKind::Request, "execute " + Printable(request.remotePath) +
                                   " code=" + Printable(request.updateCode) + ", status " +
                                   std::to_string(status));
    AddReply(ReplyKind::Result, status, 0, {});
    HangsUpAt(HangUpStep::Result);
}

void RecorderSession::AddReply(ReplyKind kind, std::uint16_t status, std::uint32_t value,
                               std::span<const std::uint8_t> body) {
    replies_.push_back({kind, status, wire::ReplyBytes(header_.command, status, value, body)});
}

void RecorderSession::AddNote(NoteKind kind, std::string text) {
    notes_.push_back({kind, std::move(text)});
}

bool RecorderSession::HangsUpAt(HangUpStep step) {
    if (behaviour_.hangUpAt != step) {
        return false;
    }
    hangUpDue_ = true;
    AddNote(NoteKind::Request, "hanging up, as told");
    return true;
}

void RecorderSession::Break(const std::string& problem) {
    phase_ = Phase::Broken;
    pending_.clear();
    transfer_ = Transfer{};
    AddNote(NoteKind::Malformed, "malformed request: " + problem);
}

}  // namespace trelvo
