#include "link/net_link.h"

#include <algorithm>
#include <utility>

#include "link/ipv4_address.h"

namespace trelvo {

NetLink::NetLink(std::unique_ptr<NetBackend> backend) : backend_(std::move(backend)) {
    backend_->SetEvents(*this);
}

NetLink::~NetLink() {
    Close();
}

bool NetLink::Create() {
    if (backend_->IsOpen() || !backend_->Open()) {
        return false;
    }
    ++generation_;
    return true;
}

bool NetLink::Connect(const std::string& host, std::uint16_t port) {
    if (!backend_->IsOpen()) {
        return false;
    }
    if (const std::optional<std::uint32_t> dotted = ParseDottedIpv4(host)) {
        return backend_->StartConnect(*dotted, port) == 0;
    }
    // The attempt is under way from here: the answer carries it on, and a
    // name without an address ends it through OnConnect like a refusal.
    lookupPort_ = port;
    return backend_->StartLookup(host);
}

void NetLink::WhenResolved(std::optional<std::uint32_t> address) {
    const int error =
        address ? backend_->StartConnect(*address, lookupPort_) : backend_->NoAddressError();
    if (error != 0 && events_ != nullptr) {
        events_->OnConnect(error);
    }
}

void NetLink::WhenConnected(int error) {
    if (error == 0) {
        backend_->WatchReads(true);
    }
    const std::uint32_t generation = generation_;
    if (events_ != nullptr) {
        events_->OnConnect(error);
    }
    // Like the first ready-to-send after a connect.
    if (error == 0 && generation == generation_) {
        OnSend(0);
    }
}

int NetLink::Receive(std::uint8_t* buffer, int count, ReceiveMode mode) {
    if (!backend_->IsOpen() || count < 0) {
        return -1;
    }
    const bool peek = mode == ReceiveMode::Peek;
    const int received = backend_->Receive(buffer, count, peek);
    if (!peek && received > 0) {
        bytesTaken_ += static_cast<std::uint64_t>(received);
    }
    return received;
}

void NetLink::SendBuffered(const std::uint8_t* bytes, int count) {
    if (count < 0) {
        return;
    }
    if (sendBuffer_.pendingLength() == 0 && backend_->IsOpen()) {
        // Nothing waits before these bytes: the socket takes them from the
        // caller's hands, and only what it leaves is copied in. A fleet's
        // file blocks nearly always go at once, and copying each into the
        // block and wiping it after cost a tenth of the tool's CPU.
        const int taken = std::clamp(backend_->Send(bytes, count), 0, count);
        sendBuffer_.Append(bytes + taken, count - taken);
        WatchWrites();
        return;
    }
    sendBuffer_.Append(bytes, count);
    OfferPending();
}

void NetLink::Close() {
    // A lookup still under way delivers nothing from now on.
    backend_->CancelLookup();
    // Bytes the socket has not taken are dropped, never sent later.
    sendBuffer_.Drop();
    if (!backend_->IsOpen()) {
        return;
    }
    backend_->Close();
    ++generation_;
    sendRefused_ = false;
    declinedBytes_ = 0;
}

void NetLink::OnSend(int error) {
    if (error == 0 && sendBuffer_.pendingLength() != 0) {
        OfferPending();
    }
}

// Everything pending goes to the socket in one call; what it does not take
// moves to the front and waits for the socket to report room.
void NetLink::OfferPending() {
    if (backend_->IsOpen()) {
        sendBuffer_.Consume(backend_->Send(sendBuffer_.pending(), sendBuffer_.pendingLength()));
    }
    WatchWrites();
}

// A connected socket is nearly always writable, so it is watched only
// while pending bytes wait for it.
void NetLink::WatchWrites() {
    backend_->WatchWrites(sendBuffer_.pendingLength() != 0 && !sendRefused_);
}

void NetLink::WhenWritable() {
    const int before = sendBuffer_.pendingLength();
    OnSend(0);
    if (before != 0 && sendBuffer_.pendingLength() == before) {
        // The bytes stay pending until Close, as after any failed send.
        sendRefused_ = true;
        WatchWrites();
    }
}

void NetLink::WhenReadable() {
    const int available = backend_->Available();
    if (available > declinedBytes_) {
        DeliverReadable(available);
        return;
    }
    if (!backend_->InputEnded()) {
        return;
    }
    // Nothing more can arrive, and the socket stays readable for good: the
    // job hears once that the recorder has gone, after every byte it sent.
    backend_->WatchReads(false);
    const int error = backend_->EndError();
    if (events_ != nullptr) {
        events_->OnClose(error);
    }
}

void NetLink::DeliverReadable(int available) {
    const std::uint32_t generation = generation_;
    const std::uint64_t takenBefore = bytesTaken_;
    if (events_ != nullptr) {
        events_->OnReceive(0);
    }
    if (generation != generation_) {
        return;
    }
    // The job takes a reply only once all of it is there. Bytes it left
    // would keep the socket readable and the job busy for nothing, so the
    // socket reports again only once more than it has seen have arrived.
    const int declined = bytesTaken_ == takenBefore ? available : 0;
    if (declined != declinedBytes_) {
        declinedBytes_ = declined;
        backend_->SetReadThreshold(declined + 1);
    }
}

}  // namespace trelvo
