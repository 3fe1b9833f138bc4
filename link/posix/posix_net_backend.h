#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "link/net_backend.h"
#include "link/posix/name_resolver.h"
#include "link/posix/readiness_hub.h"
#include "link/posix/socket_layer.h"

namespace trelvo {

// The network link's sockets on POSIX: non-blocking descriptors, readiness
// from the thread's event loop through the readiness hub, and names
// looked up by a resolver that answers there too. Received bytes stay in
// the kernel until the job takes them; the read threshold is the socket's
// own low-water mark.
class PosixNetBackend final : public NetBackend {
public:
    // POSIX sockets and the threaded resolver, unless given others.
    PosixNetBackend();
    explicit PosixNetBackend(SocketLayer& layer);
    PosixNetBackend(SocketLayer& layer, NameResolver& resolver);
    ~PosixNetBackend() override;
    PosixNetBackend(const PosixNetBackend&) = delete;
    PosixNetBackend& operator=(const PosixNetBackend&) = delete;

    void SetEvents(NetBackendEvents& events) override { events_ = &events; }
    bool Open() override;
    bool IsOpen() const override { return socket_ != -1; }
    int StartConnect(std::uint32_t address, std::uint16_t port) override;
    // A lookup already under way gives way to the new one.
    bool StartLookup(const std::string& host) override;
    void CancelLookup() override { lookup_.reset(); }
    int NoAddressError() const override;
    int Send(const std::uint8_t* bytes, int count) override;
    int Receive(std::uint8_t* buffer, int count, bool peek) override;
    int Available() override { return layer_.Available(socket_); }
    bool InputEnded() override { return layer_.InputEnded(socket_); }
    int EndError() override { return layer_.TakeError(socket_); }
    void SetReadThreshold(int bytes) override { layer_.SetReadThreshold(socket_, bytes); }
    void WatchReads(bool on) override { watch_.WatchReads(on); }
    void WatchWrites(bool on) override;
    void Close() override;

private:
    void WhenResolved(std::optional<std::uint32_t> address);
    void WhenWritable();
    void ApplyWriteWatch();

    SocketLayer& layer_;
    NameResolver& resolver_;
    NetBackendEvents* events_ = nullptr;
    // The name lookup under way, if any.
    std::unique_ptr<NameResolver::Lookup> lookup_;

    int socket_ = -1;
    // A connect is under way: the socket turns writable once it has ended.
    bool connecting_ = false;
    bool writesWatched_ = false;

    ReadinessWatch watch_;
};

}  // namespace trelvo
