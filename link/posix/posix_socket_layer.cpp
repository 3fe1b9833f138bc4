#include "link/posix/posix_socket_layer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "link/ipv4_address.h"
#include "link/posix/retry_on_interrupt.h"

namespace trelvo {

int PosixSocketLayer::Open() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

bool PosixSocketLayer::BindAnyPort(int socket) {
    // The port is then chosen by the connect, as for an unbound socket. A
    // port picked at bind time is checked against every bound socket, which
    // made a fleet's thousands of binds cost a third of its CPU.
    const int deferPort = 1;
    ::setsockopt(socket, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &deferPort, sizeof deferPort);
    const sockaddr_in any = Ipv4SocketAddress(htonl(INADDR_ANY), 0);
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&any), sizeof any) == 0;
}

SocketLayer::ConnectStart PosixSocketLayer::Connect(int socket, std::uint32_t address,
                                                    std::uint16_t port) {
    const sockaddr_in peer = Ipv4SocketAddress(address, port);
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return ConnectStart::Done;
    }
    // An interrupted connect goes on in the background, like one in progress.
    return errno == EINPROGRESS || errno == EINTR ? ConnectStart::UnderWay : ConnectStart::Failed;
}

int PosixSocketLayer::Send(int socket, const std::uint8_t* bytes, int count) {
    return static_cast<int>(RetryOnInterrupt(
        [&] { return ::send(socket, bytes, static_cast<std::size_t>(count), MSG_NOSIGNAL); }));
}

int PosixSocketLayer::Receive(int socket, std::uint8_t* buffer, int count, bool peek) {
    return static_cast<int>(RetryOnInterrupt([&] {
        return ::recv(socket, buffer, static_cast<std::size_t>(count), peek ? MSG_PEEK : 0);
    }));
}

int PosixSocketLayer::Available(int socket) {
    int count = 0;
    return ::ioctl(socket, FIONREAD, &count) == 0 ? count : -1;
}

bool PosixSocketLayer::InputEnded(int socket) {
    pollfd state{socket, POLLRDHUP, 0};
    return RetryOnInterrupt([&] { return ::poll(&state, 1, 0); }) == 1 &&
           (state.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void PosixSocketLayer::SetReadThreshold(int socket, int bytes) {
    ::setsockopt(socket, SOL_SOCKET, SO_RCVLOWAT, &bytes, sizeof bytes);
}

int PosixSocketLayer::TakeError(int socket) {
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 ? error : errno;
}

void PosixSocketLayer::Close(int socket) {
    // Not repeated on EINTR: on Linux the descriptor is gone either way.
    ::close(socket);
}

}  // namespace trelvo
