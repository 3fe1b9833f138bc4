#pragma once

#include "link/posix/socket_layer.h"

namespace trelvo {

// The socket layer on POSIX sockets. Sends never raise SIGPIPE: a recorder
// that has closed its end makes a send fail like any other refusal.
class PosixSocketLayer : public SocketLayer {
public:
    int Open() override;
    bool BindAnyPort(int socket) override;
    ConnectStart Connect(int socket, std::uint32_t address, std::uint16_t port) override;
    int Send(int socket, const std::uint8_t* bytes, int count) override;
    int Receive(int socket, std::uint8_t* buffer, int count, bool peek) override;
    int Available(int socket) override;
    bool InputEnded(int socket) override;
    void SetReadThreshold(int socket, int bytes) override;
    int TakeError(int socket) override;
    void Close(int socket) override;
};

}  // namespace trelvo
