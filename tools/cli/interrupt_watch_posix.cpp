#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include "link/posix/readiness_hub.h"
#include "tools/cli/interrupt_watch.h"

namespace trelvo {
namespace {

volatile std::sig_atomic_t writeEnd = -1;

void OnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

// The signal handler writes a byte into a pipe whose reading end the links'
// readiness hub watches, so the loop's own wait wakes for it.
struct InterruptWatch::Platform {
    explicit Platform(std::function<void()> onInterrupt)
        : watch(
              [this, onInterrupt = std::move(onInterrupt)] {
                  char bytes[16];
                  while (read(pipe[0], bytes, sizeof bytes) > 0) {
                  }
                  onInterrupt();
              },
              nullptr) {}

    int pipe[2] = {-1, -1};
    ReadinessWatch watch;
};

InterruptWatch::InterruptWatch(EventLoop&, std::function<void()> onInterrupt)
    : platform_(std::make_unique<Platform>(std::move(onInterrupt))) {
    if (pipe2(platform_->pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    writeEnd = platform_->pipe[1];
    platform_->watch.SetDescriptor(platform_->pipe[0]);
    platform_->watch.WatchReads(true);
    Handle(SIGINT, OnSignal);
    Handle(SIGTERM, OnSignal);
}

InterruptWatch::~InterruptWatch() {
    Handle(SIGINT, SIG_DFL);
    Handle(SIGTERM, SIG_DFL);
    writeEnd = -1;
    platform_->watch.SetDescriptor(-1);
    for (const int fd : platform_->pipe) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

}  // namespace trelvo
