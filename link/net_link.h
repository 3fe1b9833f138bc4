#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "job/links.h"
#include "link/net_backend.h"
#include "link/send_buffer.h"

namespace trelvo {

// The TCP/IPv4 client connection to a recorder, on one platform's sockets.
// The job hands over whole messages and file blocks; what the socket will
// not take at once waits in the send buffer and goes out, in order, when
// the socket reports room. Readiness and name lookups' answers come from
// the thread's event loop, which must run for anything to arrive.
class NetLink final : public NetLinkInterface, private NetBackendEvents {
public:
    // On this platform's sockets and name lookups; defined with its backend.
    NetLink();
    explicit NetLink(std::unique_ptr<NetBackend> backend);
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
    void WhenConnected(int error) override;
    void WhenResolved(std::optional<std::uint32_t> address) override;
    void WhenReadable() override;
    void WhenWritable() override;
    void DeliverReadable(int available);
    void OfferPending();
    void WatchWrites();

    std::unique_ptr<NetBackend> backend_;
    NetLinkEvents* events_ = nullptr;

    // Bytes the socket takes at once from a hand-over never enter it.
    SendBuffer sendBuffer_;

    // Where the connect waiting for a name lookup goes.
    std::uint16_t lookupPort_ = 0;
    // Counts sockets made and closed, so a handler can tell that the job
    // closed (and perhaps re-made) the socket while it was being notified.
    std::uint32_t generation_ = 0;
    // The socket reported room but took nothing: the connection has failed,
    // and watching it again would only spin.
    bool sendRefused_ = false;
    // Bytes the job has looked at and left for later, as an incomplete
    // reply; it is notified again only once more have arrived.
    int declinedBytes_ = 0;
    // Grows with every byte the job takes, so a notification can tell
    // whether the job took anything.
    std::uint64_t bytesTaken_ = 0;
};

}  // namespace trelvo
