#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trelvo {

// What a network backend reports to the link above it, one report at a time
// on the thread that runs the link, never from inside a call to the backend.
class NetBackendEvents {
public:
    // The connect under way has ended: 0, or why it failed.
    virtual void WhenConnected(int error) = 0;
    // The name lookup under way has answered with the host's first IPv4
    // address in network byte order, or with none.
    virtual void WhenResolved(std::optional<std::uint32_t> address) = 0;
    // While reads are watched: bytes beyond the read threshold wait, or the
    // input has ended. Reported again for as long as that holds.
    virtual void WhenReadable() = 0;
    // While writes are watched: the socket can take more.
    virtual void WhenWritable() = 0;

protected:
    ~NetBackendEvents() = default;
};

// One platform's TCP/IPv4 socket, its readiness and its name lookups,
// beneath the network link: at most one socket at a time, and no call
// waits for the network.
class NetBackend {
public:
    virtual ~NetBackend() = default;

    virtual void SetEvents(NetBackendEvents& events) = 0;
    // A non-blocking socket bound to any local address and port, watched in
    // neither direction; false leaves none.
    virtual bool Open() = 0;
    virtual bool IsOpen() const = 0;
    // 0 once a connect to `address` (network byte order) is under way; it
    // ends in WhenConnected. Else why it failed.
    virtual int StartConnect(std::uint32_t address, std::uint16_t port) = 0;
    // Starts looking `host` up; its answer comes through WhenResolved.
    // False when no lookup could be started.
    virtual bool StartLookup(const std::string& host) = 0;
    // The lookup under way, if any, delivers nothing from now on.
    virtual void CancelLookup() = 0;
    // Why a connect to a name without an address failed.
    virtual int NoAddressError() const = 0;
    // Bytes taken from the front of `bytes`; 0 or -1 when none could be.
    virtual int Send(const std::uint8_t* bytes, int count) = 0;
    // Bytes copied, 0 once the peer has closed, -1 on failure or when
    // nothing has arrived; `peek` leaves them in place.
    virtual int Receive(std::uint8_t* buffer, int count, bool peek) = 0;
    // Received bytes waiting to be read, or -1.
    virtual int Available() = 0;
    // True once nothing more can arrive: the peer has closed or the
    // connection failed.
    virtual bool InputEnded() = 0;
    // Why the input ended: 0 after an orderly close.
    virtual int EndError() = 0;
    // WhenReadable reports waiting bytes only once at least `bytes` wait.
    virtual void SetReadThreshold(int bytes) = 0;
    virtual void WatchReads(bool on) = 0;
    virtual void WatchWrites(bool on) = 0;
    // Closes the socket; nothing is reported for it any more, not even
    // readiness already collected. Harmless when none is open.
    virtual void Close() = 0;
};

}  // namespace trelvo
