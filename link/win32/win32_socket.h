#pragma once

#include <winsock2.h>

#include <cstdint>

namespace trelvo {

// The Winsock calls of the network link, and the one place where their
// errors are read and sorted: every call answers with a value, never with
// a code to look up afterwards.
class Win32Socket {
public:
    // What a receive found.
    struct Received {
        int bytes = 0;       // copied; 0 when nothing was there or the input ended
        bool ended = false;  // nothing more will ever arrive
        int error = 0;       // why it ended, when not by an orderly close
    };

    // What a readiness message reports, and the error it carries.
    enum class Readiness { ConnectDone, Readable, Writable, Closed, Other };
    struct Notice {
        Readiness readiness = Readiness::Other;
        int error = 0;
    };
    static Notice Decode(LPARAM lParam);
    // The lParam of a readable report, for a link that wants to be told again.
    static LPARAM ReadableNotice();

    Win32Socket() = default;
    ~Win32Socket() { Close(); }
    Win32Socket(const Win32Socket&) = delete;
    Win32Socket& operator=(const Win32Socket&) = delete;

    bool IsOpen() const { return socket_ != INVALID_SOCKET; }
    SOCKET handle() const { return socket_; }

    // An IPv4 stream socket whose readiness is posted to `window` as
    // `message` (connect finished, readable, writable, closed), which also
    // makes it non-blocking, bound to any local address and port.
    bool Open(HWND window, UINT message);
    // 0 once the connect is under way (Winsock reports would-block), else
    // why it failed.
    int StartConnect(std::uint32_t address, std::uint16_t port);
    // Bytes taken, 0 when the socket would block or has failed.
    int Send(const std::uint8_t* bytes, int count);
    Received Receive(std::uint8_t* buffer, int count);
    // Closes the socket; what it has taken may still go out. Readiness
    // already posted for it stays in the queue: the message number tells.
    void Close();

    // Why a connect to a name without an address failed.
    static constexpr int kNoAddress = WSAHOST_NOT_FOUND;

private:
    SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace trelvo
