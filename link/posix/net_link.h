#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "job/links.h"
#include "link/posix/name_resolver.h"
#include "link/posix/readiness_hub.h"
#include "link/posix/socket_layer.h"
#include "link/send_buffer.h"

namespace trelvo {

// The TCP/IPv4 client connection to a recorder. The job hands over whole
// messages and file blocks; what the socket will not take at once waits in
// the send buffer and goes out, in order, when the socket reports room. Readiness and
// name lookups' answers come from the thread's Qt event loop, which must run
// for anything to arrive.
class NetLink : public NetLinkInterface {
public:
    // POSIX sockets and the threaded resolver, unless given others.
    NetLink();
    explicit NetLink(SocketLayer& layer);
    NetLink(SocketLayer& layer, NameResolver& resolver);
    ~NetLink() override;
    NetLink(const NetLink&) = delete;
    NetLink& operator=(const NetLink&) = delete;

    void SetEvents(NetLinkEvents* events) override { events_ = events; }
    bool Create() override;
    bool Connect(const std::string& host, std::uint16_t port) override;
    int Receive(std::uint8_t* buffer, int count, ReceiveMode mode) override;
    void SendBuffered(const std::uint8_t* bytes, int count) override;
    int PendingBytes() const override { return sendBuffer_.pendingLength(); }
    void Close() override;

    // The socket can take more: offers what is pending, unless `error` is set.
    void OnSend(int error);

    int sendCapacity() const { return sendBuffer_.capacity(); }
    // The whole send block, pending bytes first; for tests.
    std::span<const std::uint8_t> sendBlock() const { return sendBuffer_.block(); }

private:
    void WhenWritable();
    void WhenReadable();
    int StartConnect(std::uint32_t address, std::uint16_t port);
    void WhenResolved(std::optional<std::uint32_t> address, std::uint16_t port);
    void FinishConnect();
    void DeliverReadable(int available);
    void OfferPending();
    void WatchWrites();

    SocketLayer& layer_;
    NameResolver& resolver_;
    NetLinkEvents* events_ = nullptr;
    // The name lookup a Connect is waiting for, if any.
    std::unique_ptr<NameResolver::Lookup> lookup_;

    // Bytes the socket takes at once from a hand-over never enter it.
    SendBuffer sendBuffer_;

    int socket_ = -1;
    // Counts sockets made and closed, so a handler can tell that the job
    // closed (and perhaps re-made) the socket while it was being notified.
    std::uint32_t generation_ = 0;
    bool connecting_ = false;
    // The socket reported room but took nothing: the connection has failed,
    // and watching it again would only spin.
    bool sendRefused_ = false;
    // Bytes the job has looked at and left for later, as an incomplete
    // reply; it is notified again only once more have arrived.
    int declinedBytes_ = 0;
    // Grows with every byte the job takes, so a notification can tell
    // whether the job took anything.
    std::uint64_t bytesTaken_ = 0;

    ReadinessWatch watch_;
};

}  // namespace trelvo
