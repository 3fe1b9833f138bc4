#include "tools/cli/watched_links.h"

namespace trelvo {

WatchedNetLink::WatchedNetLink(NetLinkInterface& inner, ActivityWatch& watch,
                               std::function<void()> beforeEvent)
    : inner_(inner), watch_(watch), beforeEvent_(std::move(beforeEvent)) {
    inner_.SetEvents(this);
}

WatchedNetLink::~WatchedNetLink() {
    inner_.SetEvents(nullptr);
}

bool WatchedNetLink::Connect(const std::string& host, std::uint16_t port) {
    peeked_ = 0;
    pending_ = 0;
    return inner_.Connect(host, port);
}

int WatchedNetLink::Receive(std::uint8_t* buffer, int count, ReceiveMode mode) {
    const int received = inner_.Receive(buffer, count, mode);
    if (mode == ReceiveMode::Take) {
        if (received > 0) {
            watch_.Note();
        }
        peeked_ = 0;
    } else if (received > peeked_) {
        // A reply arriving in pieces is still a recorder that answers.
        watch_.Note();
        peeked_ = received;
    }
    return received;
}

void WatchedNetLink::SendBuffered(const std::uint8_t* bytes, int count) {
    const int before = inner_.PendingBytes() + count;
    inner_.SendBuffered(bytes, count);
    pending_ = before;
    NotePending(inner_.PendingBytes());
}

int WatchedNetLink::PendingBytes() const {
    const int pending = inner_.PendingBytes();
    NotePending(pending);
    return pending;
}

void WatchedNetLink::NotePending(int pending) const {
    if (pending < pending_) {
        watch_.Note();
    }
    pending_ = pending;
}

void WatchedNetLink::Close() {
    inner_.Close();
    peeked_ = 0;
    pending_ = 0;
}

void WatchedNetLink::OnConnect(int error) {
    watch_.Note();
    beforeEvent_();
    if (job_ != nullptr) {
        job_->OnConnect(error);
    }
}

void WatchedNetLink::OnReceive(int error) {
    beforeEvent_();
    if (job_ != nullptr) {
        job_->OnReceive(error);
    }
}

bool WatchedSerialLink::Open(const std::string& device, int baud, bool waitingReads) {
    waiting_ = 0;
    outputEmpty_ = true;
    return inner_.Open(device, baud, waitingReads);
}

bool WatchedSerialLink::Write(const std::uint8_t* bytes, std::uint32_t count) {
    const bool written = inner_.Write(bytes, count);
    if (written) {
        watch_.Note();
    }
    outputEmpty_ = false;
    return written;
}

std::uint32_t WatchedSerialLink::Read(std::uint8_t* buffer, std::uint32_t count) {
    const std::uint32_t read = inner_.Read(buffer, count);
    if (read > 0) {
        watch_.Note();
    }
    waiting_ = 0;
    return read;
}

std::uint32_t WatchedSerialLink::InputCount() {
    const std::uint32_t waiting = inner_.InputCount();
    if (waiting > waiting_) {
        watch_.Note();
    }
    waiting_ = waiting;
    return waiting;
}

bool WatchedSerialLink::IsOutputEmpty() {
    const bool empty = inner_.IsOutputEmpty();
    if (empty && !outputEmpty_) {
        watch_.Note();
    }
    outputEmpty_ = empty;
    return empty;
}

}  // namespace trelvo
