#include "link/posix/readiness_hub.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <array>

#include "link/posix/retry_on_interrupt.h"

namespace trelvo {

namespace {

// Readiness taken per wake; more waits for the next, so the timer's ticks
// are not held up by a flood of ready sockets.
constexpr int kBatch = 256;

constexpr std::uint32_t kReadable = EPOLLIN | EPOLLHUP | EPOLLERR;
constexpr std::uint32_t kWritable = EPOLLOUT | EPOLLHUP | EPOLLERR;

}  // namespace

ReadinessHub::ReadinessHub() : epollFd_(epoll_create1(EPOLL_CLOEXEC)) {}

ReadinessHub::~ReadinessHub() {
    if (epollFd_ >= 0) {
        close(epollFd_);
    }
}

ReadinessHub& ReadinessHub::ForEventLoop() {
    static ReadinessHub hub;
    return hub;
}

std::uint64_t ReadinessHub::Add(ReadinessWatch& watch, int fd, std::uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = lastKey_ + 1;
    if (epollFd_ < 0 || epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event) != 0) {
        return 0;
    }
    ++lastKey_;
    watches_[lastKey_] = &watch;
    if (notifier_.isNull() && QCoreApplication::instance() != nullptr) {
        notifier_ =
            new QSocketNotifier(epollFd_, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier_.data(), &QSocketNotifier::activated, notifier_.data(),
                         [this] { Dispatch(); });
    }
    return lastKey_;
}

void ReadinessHub::Change(int fd, std::uint64_t key, std::uint32_t events) {
    epoll_event event{};
    event.events = events;
    event.data.u64 = key;
    epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &event);
}

void ReadinessHub::Remove(int fd, std::uint64_t key) {
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    watches_.erase(key);
}

// A handler may close, re-make or destroy any watch, its own included, so
// each delivery looks its watch up afresh and asks whether it still wants it.
void ReadinessHub::Dispatch() {
    std::array<epoll_event, kBatch> ready{};
    const int count =
        RetryOnInterrupt([&] { return epoll_wait(epollFd_, ready.data(), kBatch, 0); });
    for (int i = 0; i < count; ++i) {
        const std::uint64_t key = ready[i].data.u64;
        const std::uint32_t events = ready[i].events;
        if ((events & kReadable) != 0) {
            Deliver(key, &ReadinessWatch::reads_, &ReadinessWatch::onReadable_);
        }
        if ((events & kWritable) != 0) {
            Deliver(key, &ReadinessWatch::writes_, &ReadinessWatch::onWritable_);
        }
    }
}

void ReadinessHub::Deliver(std::uint64_t key, bool ReadinessWatch::*wanted,
                           std::function<void()> ReadinessWatch::*handler) {
    const auto found = watches_.find(key);
    if (found != watches_.end() && found->second->*wanted) {
        (found->second->*handler)();
    }
}

ReadinessWatch::ReadinessWatch(std::function<void()> onReadable, std::function<void()> onWritable,
                               ReadinessHub& hub)
    : hub_(hub), onReadable_(std::move(onReadable)), onWritable_(std::move(onWritable)) {}

ReadinessWatch::~ReadinessWatch() {
    SetDescriptor(-1);
}

void ReadinessWatch::SetDescriptor(int fd) {
    reads_ = false;
    writes_ = false;
    Apply();
    fd_ = fd;
}

void ReadinessWatch::WatchReads(bool on) {
    reads_ = on;
    Apply();
}

void ReadinessWatch::WatchWrites(bool on) {
    writes_ = on;
    Apply();
}

// A descriptor watched in neither direction leaves the epoll set: epoll
// reports a hang-up whatever the mask, and would wake the loop for nothing.
void ReadinessWatch::Apply() {
    const std::uint32_t events = (reads_ ? EPOLLIN : 0u) | (writes_ ? EPOLLOUT : 0u);
    if (fd_ == -1 || events == 0) {
        if (key_ != 0) {
            hub_.Remove(fd_, key_);
            key_ = 0;
        }
        return;
    }
    if (key_ == 0) {
        key_ = hub_.Add(*this, fd_, events);
    } else if (events != events_) {
        hub_.Change(fd_, key_, events);
    }
    events_ = events;
}

}  // namespace trelvo
