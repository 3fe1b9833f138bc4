#include "link/win32/win32_socket.h"

#include "link/ipv4_address.h"

namespace trelvo {
namespace {

// Everything a connection reports: connect finished, bytes to read, room to
// send, the recorder gone.
constexpr long kEvents = FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE;

}  // namespace

Win32Socket::Notice Win32Socket::Decode(LPARAM lParam) {
    const int error = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam)) {
        case FD_CONNECT:
            return {Readiness::ConnectDone, error};
        case FD_READ:
            return {Readiness::Readable, error};
        case FD_WRITE:
            return {Readiness::Writable, error};
        case FD_CLOSE:
            return {Readiness::Closed, error};
        default:
            return {Readiness::Other, error};
    }
}

LPARAM Win32Socket::ReadableNotice() {
    return WSAMAKESELECTREPLY(FD_READ, 0);
}

bool Win32Socket::Open(HWND window, UINT message) {
    Close();
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (socket_ == INVALID_SOCKET) {
        return false;
    }
    const sockaddr_in any = Ipv4SocketAddress(htonl(INADDR_ANY), 0);
    if (WSAAsyncSelect(socket_, window, message, kEvents) != 0 ||
        ::bind(socket_, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        Close();
        return false;
    }
    return true;
}

int Win32Socket::StartConnect(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in peer = Ipv4SocketAddress(address, port);
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        // Done at once: FD_CONNECT reports it like any other end.
        return 0;
    }
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? 0 : error;
}

int Win32Socket::Send(const std::uint8_t* bytes, int count) {
    const int sent = ::send(socket_, reinterpret_cast<const char*>(bytes), count, 0);
    // Would block or failed alike: after a would-block FD_WRITE reports
    // room, after a failure FD_CLOSE reports the end.
    return sent == SOCKET_ERROR ? 0 : sent;
}

Win32Socket::Received Win32Socket::Receive(std::uint8_t* buffer, int count) {
    const int received = ::recv(socket_, reinterpret_cast<char*>(buffer), count, 0);
    if (received > 0) {
        return {received, false, 0};
    }
    if (received == 0) {
        return {0, true, 0};
    }
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        return {};
    }
    return {0, true, error};
}

void Win32Socket::Close() {
    if (socket_ != INVALID_SOCKET) {
        ::closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
}

}  // namespace trelvo
