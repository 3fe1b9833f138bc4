#include "link/serial_link.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "link/retry_on_interrupt.h"
#include "link/serial_device_name.h"
#include "link/serial_line_rate.h"
#include "link/serial_line_settings.h"

namespace trelvo {
namespace {

// Opens the device for this link alone, or returns -1. TIOCEXCL turns other
// openers away but not root, so the lock is what keeps out a second holder,
// be it another program or another link in this process.
int OpenExclusive(const std::string& path) {
    // Non-blocking only so that a port waiting for carrier cannot hold up the open.
    const int fd = RetryOnInterrupt(
        [&] { return open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) {
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    ioctl(fd, TIOCEXCL);
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

SerialLink::~SerialLink() {
    Close();
}

bool SerialLink::Open(const std::string& device, int baud, bool waitingReads) {
    Close();
    fd_ = OpenExclusive(SerialDevicePath(device));
    if (fd_ < 0) {
        return false;
    }
    waitingReads_ = waitingReads;
    failed_ = false;
    ApplyLineSettings(fd_, waitingReads);
    SetLineRate(fd_, baud);
    // Last of the settings: opening the port and setting a rate may raise DTR.
    HoldDtrOff(fd_);
    PurgeQueues(fd_);
    return true;
}

bool SerialLink::Write(const std::uint8_t* bytes, std::uint32_t count) {
    if (fd_ < 0) {
        return false;
    }
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t n =
            RetryOnInterrupt([&] { return write(fd_, bytes + written, count - written); });
        if (n <= 0) {
            failed_ = true;
            return false;
        }
        written += static_cast<std::uint32_t>(n);
    }
    return true;
}

std::uint32_t SerialLink::Read(std::uint8_t* buffer, std::uint32_t count) {
    if (fd_ < 0) {
        return 0;
    }
    std::uint32_t got = 0;
    do {
        const ssize_t n = RetryOnInterrupt([&] { return read(fd_, buffer + got, count - got); });
        // A waiting read that sees the end of input (the line hung up) would
        // otherwise never complete.
        if (n < 0 || (n == 0 && waitingReads_)) {
            return 0;
        }
        got += static_cast<std::uint32_t>(n);
    } while (waitingReads_ && got < count);
    return got;
}

std::uint32_t SerialLink::InputCount() {
    return fd_ < 0 ? 0 : QueuedBytes(fd_, TIOCINQ);
}

bool SerialLink::IsOutputEmpty() {
    return fd_ >= 0 && QueuedBytes(fd_, TIOCOUTQ) == 0;
}

void SerialLink::Close() {
    if (fd_ < 0) {
        return;
    }
    // The exclusive mark belongs to the terminal, not to this descriptor; a
    // holder that got in before us would keep it after we are gone.
    ioctl(fd_, TIOCNXCL);
    close(fd_);
    fd_ = -1;
}

}  // namespace trelvo
