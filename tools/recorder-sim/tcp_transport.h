#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "tools/recorder-sim/transport.h"

namespace trelvo {

// A listening IPv4 socket; the connections it accepts are transports.
class TcpListener {
public:
    // Listens on ADDRESS:PORT, port 0 for a free one: nullptr on failure,
    // with why in `error`.
    static std::unique_ptr<TcpListener> Open(const std::string& address, std::uint16_t port,
                                             std::string& error);
    ~TcpListener();
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    int Descriptor() const { return fd_; }
    // "ADDR:PORT" as bound, with the port picked for port 0.
    const std::string& Address() const { return address_; }
    // The port as bound.
    std::uint16_t Port() const { return port_; }

    // The next waiting connection, with the client's "ADDR:PORT" in
    // `peer`; nullptr with errno EAGAIN when none waits, or with another
    // errno when accepting failed.
    std::unique_ptr<Transport> Accept(std::string& peer);

private:
    TcpListener(int fd, std::string address, std::uint16_t port)
        : fd_(fd), address_(std::move(address)), port_(port) {}

    int fd_;
    std::string address_;
    std::uint16_t port_;
};

}  // namespace trelvo
