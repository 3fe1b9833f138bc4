#include "link/posix/readiness_hub.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>

#include "link/posix/retry_on_interrupt.h"

namespace trelvo {

namespace {

// Readiness taken per wake; more waits for the next, so the timer's ticks
// are not held up by a flood of ready sockets.
constexpr int kBatch = 256;

constexpr std::uint32_t kReadable = EPOLLIN | EPOLLHUP | EPOLLERR;
constexpr std::uint32_t kWritable = EPOLLOUT | EPOLLHUP | EPOLLERR;

// The key of the posted tasks' counter; watches' keys start at 1.
constexpr std::uint64_t kPostedKey = 0;

}  // namespace

ReadinessHub::ReadinessHub()
    : epollFd_(epoll_create1(EPOLL_CLOEXEC)), postedFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kPostedKey;
    if (epollFd_ >= 0 && postedFd_ >= 0) {
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, postedFd_, &event);
    }
}

ReadinessHub::~ReadinessHub() {
    for (const int fd : {postedFd_, epollFd_}) {
        if (fd >= 0) {
            close(fd);
        }
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

void ReadinessHub::Dispatch() {
    Wait(0);
}

// A handler may close, re-make or destroy any watch, its own included, so
// each delivery looks its watch up afresh and asks whether it still wants it.
void ReadinessHub::Wait(int timeoutMs) {
    std::array<epoll_event, kBatch> ready{};
    const int count =
        RetryOnInterrupt([&] { return epoll_wait(epollFd_, ready.data(), kBatch, timeoutMs); });
    for (int i = 0; i < count; ++i) {
        const std::uint64_t key = ready[i].data.u64;
        if (key == kPostedKey) {
            continue;
        }
        const std::uint32_t events = ready[i].events;
        if ((events & kReadable) != 0) {
            Deliver(key, &ReadinessWatch::reads_, &ReadinessWatch::onReadable_);
        }
        if ((events & kWritable) != 0) {
            Deliver(key, &ReadinessWatch::writes_, &ReadinessWatch::onWritable_);
        }
    }
    RunPosted();
}

void ReadinessHub::Post(Task task) {
    const std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(postedFd_, &one, sizeof one);
}

// Only the tasks posted so far: one that posts again runs on a later turn,
// so a task that keeps re-posting itself cannot hold the loop.
void ReadinessHub::RunPosted() {
    std::vector<Task> tasks;
    {
        const std::lock_guard lock(postedMutex_);
        if (posted_.empty()) {
            return;
        }
        tasks.swap(posted_);
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t taken = read(postedFd_, &count, sizeof count);
    }
    for (Task& task : tasks) {
        task();
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
