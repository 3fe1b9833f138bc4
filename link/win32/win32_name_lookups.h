#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace trelvo {

// Looks host names up without making the asking thread wait: each lookup
// runs on a thread of its own and posts its answer to a window. Nobody
// cancels a thread; whoever no longer wants an answer stops listening for
// its message, and the late answer is dropped unseen.
class Win32NameLookups {
public:
    // The host's first IPv4 address in network byte order, or none; may block.
    using LookupFunction = std::function<std::optional<std::uint32_t>(const std::string& host)>;

    // Lookup threads alive at once, abandoned ones included, so that a
    // resolver that never answers cannot pile up threads without end.
    static constexpr int kMostThreads = 64;

    // The system's lookup within the default bound.
    static Win32NameLookups& System();

    explicit Win32NameLookups(LookupFunction lookup, int mostThreads = kMostThreads);

    // Posts `message` to `window` once the answer is there, never from
    // inside Start, with `ticket` as its wParam and the answer packed in its
    // lParam. Beyond the bound the answer is "none", posted at once.
    void Start(const std::string& host, HWND window, UINT message, WPARAM ticket);
    static std::optional<std::uint32_t> AnswerOf(LPARAM packed);

    // Lookup threads alive now.
    int threadCount() const { return shared_->threads.load(); }

private:
    // Outlives this object while lookup threads run.
    struct Shared {
        Shared(LookupFunction function, int most)
            : lookup(std::move(function)), mostThreads(most) {}
        const LookupFunction lookup;
        const int mostThreads;
        std::atomic<int> threads{0};
    };
    std::shared_ptr<Shared> shared_;
};

}  // namespace trelvo
