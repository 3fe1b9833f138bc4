#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace trelvo {

// Looks host names up without making anyone wait: the answer comes later,
// through the event loop of the thread that asked.
class NameResolver {
public:
    // The host's first IPv4 address in network byte order, or none.
    using Answer = std::function<void(std::optional<std::uint32_t> address)>;

    // A lookup under way, owned by the thread that started it. Destroying it
    // cancels the lookup: its answer is not delivered after that, even when
    // it has already come in.
    class Lookup {
    public:
        virtual ~Lookup() = default;
    };

    virtual ~NameResolver() = default;

    // Starts looking `host` up and returns at once. `answer` runs later on
    // the calling thread, from its event loop, never from inside Start; it
    // may destroy its own Lookup.
    [[nodiscard]] virtual std::unique_ptr<Lookup> Start(const std::string& host, Answer answer) = 0;
};

}  // namespace trelvo
