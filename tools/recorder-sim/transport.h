#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <span>

namespace trelvo {

// The line under one of the simulator's links: an accepted TCP connection
// or the simulator's side of a pseudo-terminal. Non-blocking: Read and
// Write return what read(2) and write(2) return, errno included.
// Destroying the transport closes the line.
class Transport {
public:
    Transport() = default;
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    // What the event loop watches.
    virtual int Descriptor() const = 0;
    // A serial line has no connection to drop or half-close: it stays
    // open whatever the client sends, and hangs up only by closing.
    virtual bool IsSerialLine() const = 0;

    virtual ssize_t Read(std::span<std::uint8_t> into) = 0;
    virtual ssize_t Write(std::span<const std::uint8_t> bytes) = 0;

    // The line reports itself readable only once this many bytes wait,
    // where it can hold them back.
    virtual void WakeAfter(int bytes) = 0;
    // Sends nothing more (FIN) but goes on reading; connections only.
    virtual void ShutDownSending() = 0;
    // Closing resets the connection (RST) instead of ending it in order.
    virtual void ResetOnClose() = 0;
    // Bytes sent that the client has not read off the line yet, or
    // nothing when that cannot be told.
    virtual std::optional<int> UnreadByClient() const = 0;
};

}  // namespace trelvo
