#include "link/posix/posix_serial_backend.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <utility>

#include "link/posix/retry_on_interrupt.h"
#include "link/posix/serial_device_name.h"
#include "link/posix/serial_line_rate.h"
#include "link/posix/serial_line_settings.h"
#include "link/serial_link.h"

namespace trelvo {
namespace {

// Opens the device for this port alone, or returns -1. TIOCEXCL turns other
// openers away but not root, so the lock is what keeps out a second holder,
// be it another program or another link in this process. The descriptor
// stays non-blocking: nothing the link does may wait for the line, and a
// port waiting for carrier cannot hold up the open either.
int OpenLocked(const std::string& path) {
    const int fd = RetryOnInterrupt(
        [&] { return open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) {
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Bytes in one of the driver's queues; 0 when it cannot say.
std::uint32_t QueuedBytes(int fd, unsigned long request) {
    int count = 0;
    if (ioctl(fd, request, &count) != 0 || count < 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(count);
}

}  // namespace

std::uint32_t DriverOutputCount(int fd) {
    return QueuedBytes(fd, TIOCOUTQ);
}

SerialLink::SerialLink() : SerialLink(std::make_unique<PosixSerialBackend>()) {}

PosixSerialBackend::PosixSerialBackend(OutputCount outputCount)
    : outputCount_(std::move(outputCount)), watch_([] {}, [this] { events_->WhenRoom(); }) {}

PosixSerialBackend::~PosixSerialBackend() {
    Close();
}

bool PosixSerialBackend::Open(const std::string& device, int baud, const StepNote& note) {
    fd_ = OpenLocked(SerialDevicePath(device));
    if (fd_ < 0) {
        return false;
    }
    watch_.SetDescriptor(fd_);
    note(kExclusive, ioctl(fd_, TIOCEXCL) == 0);
    termios before{};
    const bool saved = tcgetattr(fd_, &before) == 0;
    note(kSaveSettings, saved);
    if (saved) {
        savedSettings_ = before;
    }
    note(kLineSettings, ApplyLineSettings(fd_));
    note(kLineRate, SetLineRate(fd_, baud));
    // Last of the settings: opening the port and setting a rate may raise DTR.
    note(kDtrOff, HoldDtrOff(fd_));
    note(kPurge, PurgeQueues(fd_));
    return true;
}

int PosixSerialBackend::Write(const std::uint8_t* bytes, int count) {
    int written = 0;
    while (written < count) {
        const ssize_t n = RetryOnInterrupt(
            [&] { return write(fd_, bytes + written, static_cast<std::size_t>(count - written)); });
        if (n > 0) {
            written += static_cast<int>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // A write that takes nothing without saying why would never move on either.
            return -1;
        }
    }
    return written;
}

bool PosixSerialBackend::HasFailed() const {
    pollfd line{fd_, 0, 0};
    return RetryOnInterrupt([&] { return poll(&line, 1, 0); }) == 1 &&
           (line.revents & (POLLHUP | POLLERR)) != 0;
}

std::uint32_t PosixSerialBackend::Read(std::uint8_t* buffer, std::uint32_t count) {
    if (fd_ < 0) {
        return 0;
    }
    std::uint32_t got = 0;
    while (got < count) {
        const ssize_t n = RetryOnInterrupt([&] { return read(fd_, buffer + got, count - got); });
        // Nothing more there (EAGAIN), the end of input after a hang-up, or a failure.
        if (n <= 0) {
            break;
        }
        got += static_cast<std::uint32_t>(n);
    }
    return got;
}

std::uint32_t PosixSerialBackend::InputCount() {
    return fd_ < 0 ? 0 : QueuedBytes(fd_, TIOCINQ);
}

void PosixSerialBackend::Close() {
    if (fd_ < 0) {
        return;
    }
    // The watch delivers nothing more, even readiness already collected.
    watch_.SetDescriptor(-1);
    // Each step only lets go, so a refusal changes nothing. What the driver
    // still holds goes first: a port closes only once its output has drained,
    // which a recorder holding CTS off would put off for as long as it likes.
    tcflush(fd_, TCIOFLUSH);
    if (savedSettings_) {
        tcsetattr(fd_, TCSANOW, &*savedSettings_);
        savedSettings_.reset();
    }
    // The exclusive mark belongs to the terminal, not to this descriptor; a
    // holder that got in before us would keep it after we are gone.
    ioctl(fd_, TIOCNXCL);
    close(fd_);
    fd_ = -1;
}

}  // namespace trelvo
