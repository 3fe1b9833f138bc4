#include "link/win32/win32_net_link.h"

#include <algorithm>

#include "job/update_job.h"
#include "job/wire_format.h"

namespace trelvo {
namespace {

// Room for the largest reply the job accepts, so it can always take one
// whole; a recorder that sends more than that is read only as the job takes.
constexpr int kMostBuffered = static_cast<int>(HEADER_SIZE + MAX_REPLY_BODY);
constexpr int kReadChunk = 16384;

}  // namespace

Win32NetLink::Win32NetLink() : Win32NetLink(Win32NameLookups::System()) {}

Win32NetLink::Win32NetLink(Win32NameLookups& lookups)
    : window_(LinkMessageWindow::ForThisThread()), lookups_(lookups) {}

Win32NetLink::~Win32NetLink() {
    Close();
}

bool Win32NetLink::Create() {
    if (socket_.IsOpen()) {
        return false;
    }
    ++generation_;
    socketMessage_ = window_.Add(*this);
    if (socketMessage_ == 0 || !socket_.Open(window_.handle(), socketMessage_)) {
        Close();
        return false;
    }
    return true;
}

bool Win32NetLink::Connect(const std::string& host, std::uint16_t port) {
    if (!socket_.IsOpen() || lookupMessage_ != 0) {
        return false;
    }
    if (const std::optional<std::uint32_t> dotted = Win32Socket::ParseDotted(host)) {
        return socket_.StartConnect(*dotted, port) == 0;
    }
    // The attempt is under way from here: the answer carries it on, and a
    // name without an address ends it through OnConnect like a refusal.
    lookupMessage_ = window_.Add(*this);
    if (lookupMessage_ == 0) {
        return false;
    }
    lookupPort_ = port;
    lookups_.Start(host, window_.handle(), lookupMessage_, ++lookupTicket_);
    return true;
}

void Win32NetLink::WhenResolved(std::optional<std::uint32_t> address, std::uint16_t port) {
    const int error = address ? socket_.StartConnect(*address, port) : Win32Socket::kNoAddress;
    if (error != 0 && events_ != nullptr) {
        events_->OnConnect(error);
    }
}

void Win32NetLink::OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == lookupMessage_) {
        if (wParam == lookupTicket_) {
            window_.Remove(lookupMessage_);
            lookupMessage_ = 0;
            WhenResolved(Win32NameLookups::AnswerOf(lParam), lookupPort_);
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
            if (events_ != nullptr) {
                events_->OnConnect(notice.error);
            }
            return;
        case Win32Socket::Readiness::Writable:
            if (notice.error == 0) {
                OfferPending();
            }
            return;
        case Win32Socket::Readiness::Readable:
            ReadWaiting();
            DeliverReadable();
            return;
        case Win32Socket::Readiness::Closed:
            // Bytes sent before the close can still be read; the end counts
            // once they all are.
            ReadWaiting();
            if (!readingPaused_ && !inputEnded_) {
                inputEnded_ = true;
                endError_ = notice.error;
            }
            DeliverReadable();
            return;
        case Win32Socket::Readiness::Other:
            return;
    }
}

int Win32NetLink::Receive(std::uint8_t* buffer, int count, ReceiveMode mode) {
    if (!socket_.IsOpen() || count < 0 || Buffered() == 0) {
        return -1;
    }
    const int copied = std::min(count, Buffered());
    std::copy_n(received_.data() + receivedFront_, copied, buffer);
    if (mode == ReceiveMode::Take) {
        receivedFront_ += static_cast<std::size_t>(copied);
        ++takes_;
        if (readingPaused_) {
            ReadWaiting();
        }
    }
    return copied;
}

// Takes what the socket holds into the link's buffer, up to its bound.
void Win32NetLink::ReadWaiting() {
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
        if (got.bytes == 0) {
            return;
        }
    }
}

void Win32NetLink::DeliverReadable() {
    const int buffered = Buffered();
    if (buffered > declinedBytes_ && events_ != nullptr) {
        const std::uint32_t generation = generation_;
        const std::uint64_t takesBefore = takes_;
        events_->OnReceive(0);
        if (generation != generation_) {
            return;
        }
        if (takes_ == takesBefore) {
            // The job takes a reply only once all of it is there.
            declinedBytes_ = buffered;
        } else {
            declinedBytes_ = 0;
            // It takes one header or one body per notification; the rest
            // waits for the next turn of the message loop, as Winsock's own
            // report would.
            if (Buffered() > 0) {
                PostReadable();
                return;
            }
        }
    }
    if (inputEnded_ && !endReported_ && Buffered() <= declinedBytes_) {
        endReported_ = true;
        // The job hears once that the recorder has gone, after every byte
        // it sent before it went.
        if (events_ != nullptr) {
            events_->OnClose(endError_);
        }
    }
}

void Win32NetLink::PostReadable() {
    PostMessageW(window_.handle(), socketMessage_, socket_.handle(), Win32Socket::ReadableNotice());
}

void Win32NetLink::SendBuffered(const std::uint8_t* bytes, int count) {
    if (count < 0) {
        return;
    }
    sendBuffer_.Append(bytes, count);
    OfferPending();
}

// Everything pending goes to the socket until it takes no more; Winsock
// reports room again only after a send it refused.
void Win32NetLink::OfferPending() {
    while (socket_.IsOpen() && sendBuffer_.pendingLength() > 0) {
        const int taken = socket_.Send(sendBuffer_.pending(), sendBuffer_.pendingLength());
        if (taken <= 0) {
            return;
        }
        sendBuffer_.Consume(taken);
    }
}

void Win32NetLink::Close() {
    // A lookup still under way delivers nothing from now on.
    window_.Remove(lookupMessage_);
    lookupMessage_ = 0;
    // Bytes the socket has not taken are dropped, never sent later.
    sendBuffer_.Drop();
    // Readiness already queued for the socket finds nobody.
    window_.Remove(socketMessage_);
    socketMessage_ = 0;
    if (socket_.IsOpen()) {
        socket_.Close();
        ++generation_;
    }
    received_.clear();
    receivedFront_ = 0;
    declinedBytes_ = 0;
    readingPaused_ = false;
    inputEnded_ = false;
    endError_ = 0;
    endReported_ = false;
}

}  // namespace trelvo
