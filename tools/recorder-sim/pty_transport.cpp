#include "tools/recorder-sim/pty_transport.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "link/posix/retry_on_interrupt.h"

namespace trelvo {
namespace {

class PtyTransport final : public Transport {
public:
    PtyTransport(int master, int slave) : master_(master), slave_(slave) {}
    ~PtyTransport() override {
        close(master_);
        close(slave_);
    }
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    int Descriptor() const override { return master_; }
    bool IsSerialLine() const override { return true; }

    ssize_t Read(std::span<std::uint8_t> into) override {
        return RetryOnInterrupt([&] { return read(master_, into.data(), into.size()); });
    }
    ssize_t Write(std::span<const std::uint8_t> bytes) override {
        return RetryOnInterrupt([&] { return write(master_, bytes.data(), bytes.size()); });
    }

    // A terminal passes on every byte as it comes.
    void WakeAfter(int /*bytes*/) override {}
    // Neither is asked of a serial line: its hang-up is the close.
    void ShutDownSending() override {}
    void ResetOnClose() override {}

    // What waits on the client's side of the line is what it has not read.
    std::optional<int> UnreadByClient() const override {
        int waiting = 0;
        if (ioctl(slave_, TIOCINQ, &waiting) != 0) {
            return std::nullopt;
        }
        return waiting;
    }

private:
    int master_;
    int slave_;
};

}  // namespace

std::unique_ptr<Transport> OpenPtyLine(std::string& device, std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        if (master >= 0) {
            close(master);
        }
        return nullptr;
    }
    // Holding the slave open keeps the master from reporting a hang-up
    // while no client has the line open, and lets us set it raw before
    // anyone else sees it: 8-bit clean, no echo, no line editing.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave < 0 || tcgetattr(slave, &settings) != 0 ||
        (cfmakeraw(&settings), tcsetattr(slave, TCSANOW, &settings)) != 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = "cannot set up " + std::string(name) + ": " + std::strerror(errno);
        close(master);
        if (slave >= 0) {
            close(slave);
        }
        return nullptr;
    }
    device = name;
    return std::make_unique<PtyTransport>(master, slave);
}

}  // namespace trelvo
