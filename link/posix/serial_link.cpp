#include "link/posix/serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "link/posix/retry_on_interrupt.h"
#include "link/posix/serial_device_name.h"
#include "link/posix/serial_line_rate.h"
#include "link/posix/serial_line_settings.h"

namespace trelvo {
namespace {

// Opens the device for this link alone, or returns -1. TIOCEXCL turns other
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

SerialLink::SerialLink(OutputCount outputCount)
    : outputCount_(std::move(outputCount)), watch_([] {}, [this] { WhenWritable(); }) {}

SerialLink::~SerialLink() {
    Close();
}

bool SerialLink::Open(const std::string& device, int baud, bool /*waitingReads*/) {
    Close();
    fd_ = OpenLocked(SerialDevicePath(device));
    if (fd_ < 0) {
        return false;
    }
    failed_ = false;
    watch_.SetDescriptor(fd_);
    // Every step's outcome is noted here and nowhere else. None of them stops
    // the open: a device that takes no serial settings still counts as open.
    refusedSteps_ = 0;
    const auto step = [this](Step which, bool done) {
        if (!done) {
            refusedSteps_ |= which;
        }
    };
    step(kExclusive, ioctl(fd_, TIOCEXCL) == 0);
    termios before{};
    const bool saved = tcgetattr(fd_, &before) == 0;
    step(kSaveSettings, saved);
    if (saved) {
        savedSettings_ = before;
    }
    step(kLineSettings, ApplyLineSettings(fd_));
    step(kLineRate, SetLineRate(fd_, baud));
    // Last of the settings: opening the port and setting a rate may raise DTR.
    step(kDtrOff, HoldDtrOff(fd_));
    step(kPurge, PurgeQueues(fd_));
    return true;
}

bool SerialLink::Write(const std::uint8_t* bytes, std::uint32_t count) {
    if (fd_ < 0 || HasFailed()) {
        return false;
    }
    // New bytes may go straight to the driver only when nothing waits before them.
    const std::size_t written = queue_.pendingLength() == 0 ? WriteNow(bytes, count) : 0;
    if (failed_) {
        return false;
    }
    if (written < count) {
        queue_.Append(bytes + written, static_cast<int>(count - written));
        WatchWrites();
    }
    return true;
}

// Hands the driver what it takes now and returns how much that was. A full
// driver (EAGAIN) only means waiting; any other error (EIO after a hang-up,
// an adapter that is gone) ends the line.
std::size_t SerialLink::WriteNow(const std::uint8_t* bytes, std::size_t count) {
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n =
            RetryOnInterrupt([&] { return write(fd_, bytes + written, count - written); });
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // A write that takes nothing without saying why would never move on either.
            Fail();
            break;
        }
    }
    return written;
}

bool SerialLink::HasFailed() const {
    if (failed_ || fd_ < 0) {
        return failed_;
    }
    pollfd line{fd_, 0, 0};
    return RetryOnInterrupt([&] { return poll(&line, 1, 0); }) == 1 &&
           (line.revents & (POLLHUP | POLLERR)) != 0;
}

void SerialLink::WhenWritable() {
    const std::size_t written =
        WriteNow(queue_.pending(), static_cast<std::size_t>(queue_.pendingLength()));
    if (failed_) {
        return;
    }
    queue_.Consume(static_cast<int>(written));
    WatchWrites();
}

void SerialLink::Fail() {
    failed_ = true;
    queue_.Drop();
    WatchWrites();
}

void SerialLink::WatchWrites() {
    watch_.WatchWrites(fd_ >= 0 && queue_.pendingLength() > 0);
}

std::uint32_t SerialLink::Read(std::uint8_t* buffer, std::uint32_t count) {
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

std::uint32_t SerialLink::InputCount() {
    return fd_ < 0 ? 0 : QueuedBytes(fd_, TIOCINQ);
}

bool SerialLink::IsOutputEmpty() {
    return fd_ >= 0 && queue_.pendingLength() == 0 && outputCount_(fd_) == 0;
}

void SerialLink::Close() {
    queue_.Drop();
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
