#pragma once

#include <cstdint>

namespace trelvo {

// The few socket calls the network link makes, behind one seam so that its
// buffering and dispatch can run against a scripted layer. Sockets are plain
// descriptors; -1 means none. No call blocks; names are looked up elsewhere
// (NameResolver).
class SocketLayer {
public:
    enum class ConnectStart { UnderWay, Done, Failed };

    virtual ~SocketLayer() = default;

    // A non-blocking, close-on-exec IPv4 stream socket, or -1.
    virtual int Open() = 0;
    // Binds to any local address and port.
    virtual bool BindAnyPort(int socket) = 0;
    // Connects to an IPv4 address (network byte order); Failed leaves errno
    // saying why.
    virtual ConnectStart Connect(int socket, std::uint32_t address, std::uint16_t port) = 0;
    // Bytes taken, or -1 when none could be (would block or failed).
    virtual int Send(int socket, const std::uint8_t* bytes, int count) = 0;
    // Bytes copied, 0 once the peer has closed, -1 on failure or when nothing has arrived.
    virtual int Receive(int socket, std::uint8_t* buffer, int count, bool peek) = 0;
    // Received bytes waiting to be read, or -1.
    virtual int Available(int socket) = 0;
    // True once nothing more can arrive: the peer has closed or the connection failed.
    virtual bool InputEnded(int socket) = 0;
    // Readiness to read is reported only once at least `bytes` bytes wait
    // (or the input has ended).
    virtual void SetReadThreshold(int socket, int bytes) = 0;
    // The socket's pending error (0 for none), which reading clears.
    virtual int TakeError(int socket) = 0;
    virtual void Close(int socket) = 0;
};

}  // namespace trelvo
