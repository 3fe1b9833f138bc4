#pragma once

#include <cstdint>
#include <string>

// What the update job needs of the two ways of reaching a recorder. The real
// links live in link/; tests use fakes.
namespace trelvo {

// Which link a job uses.
enum class LinkKind : std::int32_t { None = -1, Network = 0, Serial = 1 };

// Notifications a network link delivers to its job, one at a time on the
// thread that drives the job. `error` is 0 or the platform's error number.
class NetLinkEvents {
public:
    virtual ~NetLinkEvents() = default;
    virtual void OnConnect(int error) = 0;
    virtual void OnReceive(int error) = 0;
    // The recorder has closed the connection (`error` 0) or reset it, and
    // every byte it sent before has been offered to OnReceive.
    virtual void OnClose(int error) = 0;
};

// An asynchronous TCP client connection with a send buffer that never blocks.
class NetLinkInterface {
public:
    enum class ReceiveMode { Peek, Take };

    virtual ~NetLinkInterface() = default;

    // The job that receives this link's notifications.
    virtual void SetEvents(NetLinkEvents* events) = 0;
    // Makes the socket; false when it cannot be made.
    virtual bool Create() = 0;
    // Starts connecting to a host name or dotted IPv4 address without
    // waiting: a name is looked up in the background. True exactly when the
    // attempt is under way and will end in OnConnect (a name without an
    // address ends there with an error).
    virtual bool Connect(const std::string& host, std::uint16_t port) = 0;
    // Copies up to `count` received bytes; Peek leaves them in place. Returns
    // the number copied, or -1 on failure (also when nothing has arrived).
    virtual int Receive(std::uint8_t* buffer, int count, ReceiveMode mode) = 0;
    // Takes all bytes at once; what the socket cannot take now goes later, in order.
    virtual void SendBuffered(const std::uint8_t* bytes, int count) = 0;
    // Bytes handed to SendBuffered that the socket has not yet taken.
    virtual int PendingBytes() const = 0;
    // Drops unsent bytes and closes the socket; harmless when none is open.
    virtual void Close() = 0;
};

// A serial port with the fixed line settings, polled by the job. No call
// waits for the line.
class SerialLinkInterface {
public:
    virtual ~SerialLinkInterface() = default;

    // Opens `device` ("COM1", "COM2" or a device path) at `baud`. The job
    // asks for waitingReads, reads that deliver every byte asked for; since
    // it only asks for bytes InputCount has counted, no read waits either way.
    virtual bool Open(const std::string& device, int baud, bool waitingReads) = 0;
    // Takes all bytes at once: what the driver will not take now leaves
    // later, in order. False when the line has failed.
    virtual bool Write(const std::uint8_t* bytes, std::uint32_t count) = 0;
    // Returns the number of bytes read, 0 on failure; never waits.
    virtual std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) = 0;
    // Received bytes waiting to be read.
    virtual std::uint32_t InputCount() = 0;
    // True when every written byte has left the driver; false when closed.
    virtual bool IsOutputEmpty() = 0;
    // True once the line has hung up or a write has failed (adapter
    // unplugged): nothing more will pass on it until it is opened again.
    // Bytes received before may still be waiting to be read.
    virtual bool HasFailed() const = 0;
    // Drops unsent bytes and closes the port without waiting for the line;
    // harmless when it is not open.
    virtual void Close() = 0;
};

}  // namespace trelvo
