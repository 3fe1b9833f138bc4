#pragma once

#include <sys/epoll.h>

#include <cstdint>
#include <span>

namespace trelvo {

// The descriptors the server's loop waits on, all in one epoll set, so a
// wake costs what is ready, not what is open: a fleet of thousands of
// connections stays cheap to serve.
class EventSet {
public:
    EventSet() : fd_(epoll_create1(EPOLL_CLOEXEC)) {}
    ~EventSet();
    EventSet(const EventSet&) = delete;
    EventSet& operator=(const EventSet&) = delete;

    // False when the set could not be made; errno says why.
    bool Made() const { return fd_ >= 0; }

    // Watches `fd` for the `wanted` events (EPOLLIN, EPOLLOUT), reported
    // with `owner`. `watched` holds what the set watches it for and is
    // kept in step. Nothing wanted takes it out of the set: epoll reports
    // a hang-up whatever the mask, and would wake the loop again and again.
    void Watch(int fd, void* owner, std::uint32_t wanted, std::uint32_t& watched);

    // As epoll_wait: the count of events put in `ready`, or -1 with errno.
    int Wait(std::span<epoll_event> ready, int timeoutMs);

private:
    bool Control(int operation, int fd, std::uint32_t events, void* owner);

    int fd_;
};

}  // namespace trelvo
