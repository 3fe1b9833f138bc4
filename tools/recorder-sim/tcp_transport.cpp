#include "tools/recorder-sim/tcp_transport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/posix/retry_on_interrupt.h"

namespace trelvo {
namespace {

std::string AddressText(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

class SocketTransport final : public Transport {
public:
    explicit SocketTransport(int fd) : fd_(fd) {
        // Replies are small and the client waits for each one.
        const int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~SocketTransport() override { close(fd_); }
    SocketTransport(const SocketTransport&) = delete;
    SocketTransport& operator=(const SocketTransport&) = delete;

    int Descriptor() const override { return fd_; }
    bool IsSerialLine() const override { return false; }

    ssize_t Read(std::span<std::uint8_t> into) override {
        return RetryOnInterrupt([&] { return recv(fd_, into.data(), into.size(), 0); });
    }
    ssize_t Write(std::span<const std::uint8_t> bytes) override {
        return RetryOnInterrupt(
            [&] { return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); });
    }

    void WakeAfter(int bytes) override {
        if (bytes != wakeAfter_ &&
            setsockopt(fd_, SOL_SOCKET, SO_RCVLOWAT, &bytes, sizeof bytes) == 0) {
            wakeAfter_ = bytes;
        }
    }
    void ShutDownSending() override { shutdown(fd_, SHUT_WR); }
    void ResetOnClose() override {
        // Linger 0 makes close() send RST instead of FIN.
        const linger abortive{1, 0};
        setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    std::optional<int> UnreadByClient() const override { return std::nullopt; }

private:
    int fd_;
    int wakeAfter_ = 1;  // the socket's own default
};

}  // namespace

std::unique_ptr<TcpListener> TcpListener::Open(const std::string& address, std::uint16_t port,
                                               std::string& error) {
    sockaddr_in bound{};
    bound.sin_family = AF_INET;
    bound.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &bound.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return nullptr;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return nullptr;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    socklen_t length = sizeof bound;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " +
                std::strerror(errno);
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<TcpListener>(
        new TcpListener(fd, AddressText(bound), ntohs(bound.sin_port)));
}

TcpListener::~TcpListener() {
    close(fd_);
}

std::unique_ptr<Transport> TcpListener::Accept(std::string& peer) {
    for (;;) {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        const int fd = RetryOnInterrupt([&] {
            return accept4(fd_, reinterpret_cast<sockaddr*>(&address), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
        });
        if (fd >= 0) {
            peer = AddressText(address);
            return std::make_unique<SocketTransport>(fd);
        }
        // The client gave up while waiting: the next one may not have.
        if (errno != ECONNABORTED) {
            return nullptr;
        }
    }
}

}  // namespace trelvo
