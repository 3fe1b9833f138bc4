#include "link/posix/net_link.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>

#include "link/posix/posix_socket_layer.h"
#include "link/posix/threaded_name_resolver.h"

namespace trelvo {

namespace {

SocketLayer& SystemSockets() {
    static PosixSocketLayer layer;
    return layer;
}

NameResolver& SystemResolver() {
    static ThreadedNameResolver resolver;
    return resolver;
}

}  // namespace

NetLink::NetLink() : NetLink(SystemSockets()) {}

NetLink::NetLink(SocketLayer& layer) : NetLink(layer, SystemResolver()) {}

NetLink::NetLink(SocketLayer& layer, NameResolver& resolver)
    : layer_(layer),
      resolver_(resolver),
      watch_([this] { WhenReadable(); }, [this] { WhenWritable(); }) {}

NetLink::~NetLink() {
    Close();
}

bool NetLink::Create() {
    if (socket_ != -1) {
        return false;
    }
    const int socket = layer_.Open();
    if (socket == -1) {
        return false;
    }
    socket_ = socket;
    ++generation_;
    // Neither direction is watched until there is something to wait for.
    watch_.SetDescriptor(socket);
    if (!layer_.BindAnyPort(socket)) {
        Close();
        return false;
    }
    return true;
}

bool NetLink::Connect(const std::string& host, std::uint16_t port) {
    if (socket_ == -1) {
        return false;
    }
    in_addr dotted{};
    if (inet_pton(AF_INET, host.c_str(), &dotted) == 1) {
        return StartConnect(dotted.s_addr, port) == 0;
    }
    // The attempt is under way from here: the answer carries it on, and a
    // name without an address ends it through OnConnect like a refusal.
    lookup_ = resolver_.Start(
        host, [this, port](std::optional<std::uint32_t> address) { WhenResolved(address, port); });
    return true;
}

// 0 once the connect is under way, else why it failed.
int NetLink::StartConnect(std::uint32_t address, std::uint16_t port) {
    errno = 0;
    if (layer_.Connect(socket_, address, port) == SocketLayer::ConnectStart::Failed) {
        // The job takes 0 for success, so a failure always carries a reason.
        return errno != 0 ? errno : ECONNREFUSED;
    }
    // A connect that is done at once takes the same road as one under way:
    // the socket is writable, and that notification reports the end.
    connecting_ = true;
    WatchWrites();
    return 0;
}

void NetLink::WhenResolved(std::optional<std::uint32_t> address, std::uint16_t port) {
    lookup_.reset();
    const int error = address ? StartConnect(*address, port) : EHOSTUNREACH;
    if (error != 0 && events_ != nullptr) {
        events_->OnConnect(error);
    }
}

int NetLink::Receive(std::uint8_t* buffer, int count, ReceiveMode mode) {
    if (socket_ == -1 || count < 0) {
        return -1;
    }
    const bool peek = mode == ReceiveMode::Peek;
    const int received = layer_.Receive(socket_, buffer, count, peek);
    if (!peek && received > 0) {
        bytesTaken_ += static_cast<std::uint64_t>(received);
    }
    return received;
}

void NetLink::SendBuffered(const std::uint8_t* bytes, int count) {
    if (count < 0) {
        return;
    }
    if (sendBuffer_.pendingLength() == 0 && socket_ != -1) {
        // Nothing waits before these bytes: the socket takes them from the
        // caller's hands, and only what it leaves is copied in. A fleet's
        // file blocks nearly always go at once, and copying each into the
        // block and wiping it after cost a tenth of the tool's CPU.
        const int taken = std::clamp(layer_.Send(socket_, bytes, count), 0, count);
        sendBuffer_.Append(bytes + taken, count - taken);
        WatchWrites();
        return;
    }
    sendBuffer_.Append(bytes, count);
    OfferPending();
}

void NetLink::Close() {
    // A lookup still under way delivers nothing from now on.
    lookup_.reset();
    // Bytes the socket has not taken are dropped, never sent later.
    sendBuffer_.Drop();
    if (socket_ == -1) {
        return;
    }
    // The watch delivers nothing more, not even readiness already collected;
    // it is kept for the next socket, as this may run inside its own handlers.
    watch_.SetDescriptor(-1);
    layer_.Close(socket_);
    socket_ = -1;
    ++generation_;
    connecting_ = false;
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
    if (socket_ != -1) {
        sendBuffer_.Consume(
            layer_.Send(socket_, sendBuffer_.pending(), sendBuffer_.pendingLength()));
    }
    WatchWrites();
}

// A connected socket is nearly always writable, so it is watched only
// while a connect or pending bytes wait for it.
void NetLink::WatchWrites() {
    watch_.WatchWrites(socket_ != -1 &&
                       (connecting_ || (sendBuffer_.pendingLength() != 0 && !sendRefused_)));
}

void NetLink::WhenWritable() {
    if (connecting_) {
        FinishConnect();
        return;
    }
    const int before = sendBuffer_.pendingLength();
    OnSend(0);
    if (before != 0 && sendBuffer_.pendingLength() == before) {
        // The bytes stay pending until Close, as after any failed send.
        sendRefused_ = true;
        WatchWrites();
    }
}

void NetLink::FinishConnect() {
    connecting_ = false;
    const int error = layer_.TakeError(socket_);
    WatchWrites();
    if (error == 0) {
        watch_.WatchReads(true);
    }
    const std::uint32_t generation = generation_;
    if (events_ != nullptr) {
        events_->OnConnect(error);
    }
    // Like the platform's first ready-to-send after a connect.
    if (error == 0 && generation == generation_) {
        OnSend(0);
    }
}

void NetLink::WhenReadable() {
    const int available = layer_.Available(socket_);
    if (available > declinedBytes_) {
        DeliverReadable(available);
        return;
    }
    if (!layer_.InputEnded(socket_)) {
        return;
    }
    // Nothing more can arrive, and the socket stays readable for good: the
    // job hears once that the recorder has gone, after every byte it sent.
    watch_.WatchReads(false);
    const int error = layer_.TakeError(socket_);
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
        layer_.SetReadThreshold(socket_, declined + 1);
    }
}

}  // namespace trelvo
