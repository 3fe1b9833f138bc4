#include "link/win32/win32_net_backend.h"

#include <algorithm>

#include "job/reply_framer.h"
#include "job/wire_format.h"
#include "link/net_link.h"

namespace trelvo {
namespace {

// Room for the largest reply the job accepts, so it can always take one
// whole; a recorder that sends more than that is read only as the job takes.
constexpr int kMostBuffered = static_cast<int>(HEADER_SIZE + MAX_REPLY_BODY);
constexpr int kReadChunk = 16384;

}  // namespace

NetLink::NetLink() : NetLink(std::make_unique<Win32NetBackend>()) {}

Win32NetBackend::Win32NetBackend() : Win32NetBackend(Win32NameLookups::System()) {}

Win32NetBackend::Win32NetBackend(Win32NameLookups& lookups)
    : window_(LinkMessageWindow::ForThisThread()), lookups_(lookups) {}

Win32NetBackend::~Win32NetBackend() {
    CancelLookup();
    Close();
}

bool Win32NetBackend::Open() {
    socketMessage_ = window_.Add(*this);
    if (socketMessage_ != 0 && socket_.Open(window_.handle(), socketMessage_)) {
        return true;
    }
    window_.Remove(socketMessage_);
    socketMessage_ = 0;
    return false;
}

int Win32NetBackend::StartConnect(std::uint32_t address, std::uint16_t port) {
    return socket_.StartConnect(address, port);
}

bool Win32NetBackend::StartLookup(const std::string& host) {
    if (lookupMessage_ != 0) {
        return false;
    }
    lookupMessage_ = window_.Add(*this);
    if (lookupMessage_ == 0) {
        return false;
    }
    lookups_.Start(host, window_.handle(), lookupMessage_, ++lookupTicket_);
    return true;
}

void Win32NetBackend::CancelLookup() {
    window_.Remove(lookupMessage_);
    lookupMessage_ = 0;
}

void Win32NetBackend::OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == lookupMessage_) {
        if (wParam == lookupTicket_) {
            CancelLookup();
            events_->WhenResolved(Win32NameLookups::AnswerOf(lParam));
        }
        return;
    }
    if (message != socketMessage_ || wParam != socket_.handle()) {
        return;
    }
    const Win32Socket::Notice notice = Win32Socket::Decode(lParam);
    switch (notice.readiness) {
        case Win32Socket::Readiness::ConnectDone:
            // Room to send follows a connect that succeeded, as FD_WRITE.
            events_->WhenConnected(notice.error);
            return;
        case Win32Socket::Readiness::Writable:
            // The bytes the socket already took go first.
            if (notice.error == 0 && (batch_ != nullptr || OfferWaiting())) {
                events_->WhenWritable();
            }
            return;
        case Win32Socket::Readiness::Readable:
            ReadWaiting();
            ReportReadable();
            return;
        case Win32Socket::Readiness::Closed:
            // Bytes sent before the close can still be read; the end counts
            // once they all are.
            ReadWaiting();
            if (!readingPaused_ && !inputEnded_) {
                inputEnded_ = true;
                endError_ = notice.error;
            }
            ReportReadable();
            return;
        case Win32Socket::Readiness::Other:
            return;
    }
}

// Takes what the socket holds into the buffer, up to its bound.
void Win32NetBackend::ReadWaiting() {
    received_.erase(received_.begin(),
                    received_.begin() + static_cast<std::ptrdiff_t>(receivedFront_));
    receivedFront_ = 0;
    readingPaused_ = false;
    while (socket_.IsOpen() && !inputEnded_) {
        if (Buffered() >= kMostBuffered) {
            readingPaused_ = true;
            return;
        }
        const std::size_t before = received_.size();
        received_.resize(before + kReadChunk);
        const Win32Socket::Received got = socket_.Receive(received_.data() + before, kReadChunk);
        received_.resize(before + static_cast<std::size_t>(got.bytes));
        if (got.ended) {
            inputEnded_ = true;
            endError_ = got.error;
            return;
        }
        // A short read has emptied the socket, and Winsock reports what
        // comes after it: asking again would only hear that it would block.
        if (got.bytes < kReadChunk) {
            return;
        }
    }
}

void Win32NetBackend::ReportReadable() {
    if (!readsWatched_) {
        return;
    }
    events_->WhenReadable();
    // What is still to be reported waits for the next turn of the message
    // loop, as Winsock's own report would.
    if (readsWatched_ && (Buffered() >= readThreshold_ || inputEnded_)) {
        PostMessageW(window_.handle(), socketMessage_, socket_.handle(),
                     Win32Socket::ReadableNotice());
    }
}

int Win32NetBackend::Receive(std::uint8_t* buffer, int count, bool peek) {
    if (Buffered() == 0) {
        return -1;
    }
    const int copied = std::min(count, Buffered());
    std::copy_n(received_.data() + receivedFront_, copied, buffer);
    if (!peek) {
        receivedFront_ += static_cast<std::size_t>(copied);
        if (readingPaused_) {
            ReadWaiting();
        }
    }
    return copied;
}

int Win32NetBackend::Send(const std::uint8_t* bytes, int count) {
    if (!socket_.IsOpen()) {
        return 0;
    }
    SendBatch* const batch = SendBatch::Open();
    if (batch != nullptr && (batch_ == batch || waiting_.pendingLength() == 0)) {
        waiting_.Append(bytes, count);
        if (batch_ == nullptr) {
            batch_ = batch;
            batch->Add(*this);
        }
        return count;
    }
    if (!OfferWaiting()) {
        return 0;
    }
    return SendNow(bytes, count);
}

bool Win32NetBackend::OfferWaiting() {
    if (waiting_.pendingLength() != 0) {
        waiting_.Consume(SendNow(waiting_.pending(), waiting_.pendingLength()));
    }
    return waiting_.pendingLength() == 0;
}

// On a helper thread, perhaps: the socket and the waiting bytes only.
void Win32NetBackend::SendWaiting() {
    batchSent_ = SendNow(waiting_.pending(), waiting_.pendingLength());
}

void Win32NetBackend::AfterBatch() {
    waiting_.Consume(batchSent_);
    batchSent_ = 0;
    batch_ = nullptr;
}

void Win32NetBackend::LeaveBatch() {
    if (batch_ != nullptr) {
        batch_->Remove(*this);
        batch_ = nullptr;
    }
}

// Winsock reports room again only after a send it refused, so the socket
// is offered bytes until it takes no more.
int Win32NetBackend::SendNow(const std::uint8_t* bytes, int count) {
    int taken = 0;
    while (socket_.IsOpen() && taken < count) {
        const int sent = socket_.Send(bytes + taken, count - taken);
        if (sent <= 0) {
            break;
        }
        taken += sent;
    }
    return taken;
}

void Win32NetBackend::Close() {
    LeaveBatch();
    OfferWaiting();
    waiting_.Drop();
    // Readiness already queued for the socket finds nobody.
    window_.Remove(socketMessage_);
    socketMessage_ = 0;
    socket_.Close();
    received_.clear();
    receivedFront_ = 0;
    readThreshold_ = 1;
    readsWatched_ = false;
    readingPaused_ = false;
    inputEnded_ = false;
    endError_ = 0;
}

}  // namespace trelvo
