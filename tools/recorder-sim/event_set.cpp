#include "tools/recorder-sim/event_set.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace trelvo {

EventSet::~EventSet() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void EventSet::Watch(int fd, void* owner, std::uint32_t wanted, std::uint32_t& watched) {
    if (wanted == watched) {
        return;
    }
    if (wanted == 0) {
        Control(EPOLL_CTL_DEL, fd, 0, owner);
        watched = 0;
        return;
    }
    if (Control(watched == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, fd, wanted, owner)) {
        watched = wanted;
    }
}

int EventSet::Wait(std::span<epoll_event> ready, int timeoutMs) {
    return epoll_wait(fd_, ready.data(), static_cast<int>(ready.size()), timeoutMs);
}

bool EventSet::Control(int operation, int fd, std::uint32_t events, void* owner) {
    epoll_event event{};
    event.events = events;
    event.data.ptr = owner;
    if (epoll_ctl(fd_, operation, fd, &event) == 0) {
        return true;
    }
    std::fprintf(stderr, "cannot watch descriptor %d: %s\n", fd, std::strerror(errno));
    return false;
}

}  // namespace trelvo
