#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "link/posix/socket_layer.h"

namespace trelvo::testing {

using Bytes = std::vector<std::uint8_t>;

// A socket layer that takes as many bytes per send as the script says and
// records what was offered. Its sockets are real descriptors (event
// counters, always writable, never readable), so the link has something
// valid to watch.
class ScriptedSocketLayer : public SocketLayer {
public:
    int Open() override { return openFails ? -1 : ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }
    bool BindAnyPort(int) override { return bindSucceeds; }
    ConnectStart Connect(int, std::uint32_t address, std::uint16_t port) override {
        connects.emplace_back(address, port);
        errno = connectStart == ConnectStart::Failed ? connectError : 0;
        return connectStart;
    }
    int Send(int, const std::uint8_t* bytes, int count) override {
        offers.emplace_back(bytes, bytes + count);
        int taken = count;
        if (takePolicy) {
            taken = takePolicy(count);
        } else if (!takes.empty()) {
            taken = std::min(takes.front(), count);
            takes.pop_front();
        }
        sent.insert(sent.end(), bytes, bytes + std::max(taken, 0));
        return taken;
    }
    int Receive(int, std::uint8_t*, int, bool) override { return -1; }
    int Available(int) override { return 0; }
    bool InputEnded(int) override { return false; }
    void SetReadThreshold(int, int) override {}
    int TakeError(int) override { return 0; }
    void Close(int socket) override {
        closed.push_back(socket);
        ::close(socket);
    }

    bool openFails = false;
    bool bindSucceeds = true;
    ConnectStart connectStart = ConnectStart::UnderWay;
    int connectError = ECONNREFUSED;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> connects;
    // Bytes each send takes, -1 for a failed send; all of them once empty.
    std::deque<int> takes;
    // When set, decides every send instead of `takes`.
    std::function<int(int count)> takePolicy;
    std::vector<Bytes> offers;
    Bytes sent;
    std::vector<int> closed;
};

}  // namespace trelvo::testing
