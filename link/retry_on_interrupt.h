#pragma once

#include <cerrno>

namespace trelvo {

// Repeats a system call that a signal cut short. This is the only error the
// links look at: every other failure simply ends the operation.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) {
        result = call();
    }
    return result;
}

}  // namespace trelvo
