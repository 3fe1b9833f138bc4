#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace trelvo::testing {

// A pseudo-terminal pair standing in for a serial line: the link opens the
// slave by its path, the test plays the recorder on the master.
class PseudoTerminal {
public:
    PseudoTerminal() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        const char* name = master_ < 0 ? nullptr : ptsname(master_);
        if (name == nullptr || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            throw std::runtime_error("cannot create a pseudo-terminal");
        }
        slavePath_ = name;
    }
    ~PseudoTerminal() { HangUp(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    int Master() const { return master_; }

    void Send(const std::vector<std::uint8_t>& bytes) const {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
            if (n <= 0) {
                throw std::runtime_error("cannot write to the pseudo-terminal");
            }
            sent += static_cast<std::size_t>(n);
        }
    }

    std::vector<std::uint8_t> Receive(std::size_t count) const {
        std::vector<std::uint8_t> bytes(count);
        std::size_t got = 0;
        while (got < count) {
            const ssize_t n = read(master_, bytes.data() + got, count - got);
            if (n <= 0) {
                throw std::runtime_error("cannot read from the pseudo-terminal");
            }
            got += static_cast<std::size_t>(n);
        }
        return bytes;
    }

    // Takes what the line has delivered so far, without waiting.
    std::vector<std::uint8_t> ReceiveAvailable() const {
        std::vector<std::uint8_t> bytes;
        std::uint8_t chunk[4096];
        ssize_t n = 0;
        while ((n = ReadAtOnce(chunk, sizeof chunk)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
        return bytes;
    }

    // Closing the master hangs the line up for the slave's holder.
    void HangUp() {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

private:
    ssize_t ReadAtOnce(std::uint8_t* buffer, std::size_t size) const {
        const int flags = fcntl(master_, F_GETFL);
        fcntl(master_, F_SETFL, flags | O_NONBLOCK);
        const ssize_t n = read(master_, buffer, size);
        fcntl(master_, F_SETFL, flags);
        return n;
    }

    int master_;
    std::string slavePath_;
};

// Bytes 0, 1, 2, ... wrapping at a prime, so a shifted or repeated stretch shows.
inline std::vector<std::uint8_t> Pattern(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    }
    return bytes;
}

}  // namespace trelvo::testing
