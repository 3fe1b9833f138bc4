#include "link/win32/win32_socket.h"

#include <ws2tcpip.h>

namespace trelvo {
namespace {

sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port) {
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = address;
    socketAddress.sin_port = htons(port);
    return socketAddress;
}

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
    const sockaddr_in any = Ipv4Address(htonl(INADDR_ANY), 0);
    if (WSAAsyncSelect(socket_, window, message, kEvents) != 0 ||
        ::bind(socket_, reinterpret_cast<const sockaddr*>(&any), sizeof any) != 0) {
        Close();
        return false;
    }
    return true;
}

int Win32Socket::StartConnect(std::uint32_t address, std::uint16_t port) {
    const sockaddr_in peer = Ipv4Address(address, port);
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

std::optional<std::uint32_t> Win32Socket::ParseDotted(const std::string& host) {
    in_addr dotted{};
    if (inet_pton(AF_INET, host.c_str(), &dotted) != 1) {
        return std::nullopt;
    }
    return dotted.s_addr;
}

std::optional<std::uint32_t> Win32Socket::LookUp(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    const std::uint32_t first =
        reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return first;
}

}  // namespace trelvo
