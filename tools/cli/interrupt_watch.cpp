#include "tools/cli/interrupt_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

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

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
    : onInterrupt_(std::move(onInterrupt)) {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    writeEnd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        char bytes[16];
        while (read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        onInterrupt_();
    });
    Handle(SIGINT, OnSignal);
    Handle(SIGTERM, OnSignal);
}

InterruptWatch::~InterruptWatch() {
    Handle(SIGINT, SIG_DFL);
    Handle(SIGTERM, SIG_DFL);
    writeEnd = -1;
    notifier_.reset();
    for (const int fd : pipe_) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

}  // namespace trelvo
