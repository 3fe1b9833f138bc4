#pragma once

#include <cerrno>

namespace trelvo {

// Repeats a system call that a signal cut short; every other result, and
// errno with it, goes back to the caller.
template <typename Call>
auto RetryOnInterrupt(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) {
        result = call();
    }
    return result;
}

}  // namespace trelvo
