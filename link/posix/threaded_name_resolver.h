#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "link/posix/name_resolver.h"

namespace trelvo {

// Runs blocking lookups, each on a thread of its own, for the resolvers that
// share it.
//
// Not getaddrinfo_a or QHostInfo: both run lookups on a fixed pool of
// threads that a few hung lookups (a silent DNS server, a stuck NSS module)
// fill for every later name, and neither can cancel a lookup that has
// started. Here a cancelled lookup gives up its place at once; its thread
// is left to finish getaddrinfo on its own and holds nothing but shared
// state, so its late answer finds nobody to deliver to.
class LookupThreads : public std::enable_shared_from_this<LookupThreads> {
public:
    using LookupFunction = std::function<std::optional<std::uint32_t>(const std::string& host)>;

    struct Limits {
        // Lookups running at once that someone still waits for.
        int running = 16;
        // Lookup threads alive at once, abandoned ones included, so that
        // lookups which never return cannot pile up threads without end.
        int threads = 64;
    };

    // A lookup someone asked for; defined with the threads.
    struct Request;

    // Lookups beyond the limits wait their turn, in order.
    static std::shared_ptr<LookupThreads> Create(Limits limits, LookupFunction lookup);
    // getaddrinfo within the default limits, shared by every resolver made
    // without threads of its own.
    static std::shared_ptr<LookupThreads> System();

    // Queues the lookup and starts it as soon as the limits allow.
    void Enqueue(const std::shared_ptr<Request>& request);
    // Nobody waits for the lookup any more: it leaves the queue or gives up
    // its running place, and nothing of it is delivered from now on.
    void Cancel(Request& request);
    // Lookup threads alive now.
    int threadCount() const;

private:
    LookupThreads(Limits limits, LookupFunction lookup);
    void StartWaiting();
    void Run(const std::shared_ptr<Request>& request);
    static void Deliver(const std::shared_ptr<Request>& request,
                        std::optional<std::uint32_t> address);

    const Limits limits_;
    const LookupFunction lookup_;
    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<Request>> waiting_;
    int running_ = 0;
    int threads_ = 0;
};

// The resolver of the tool: getaddrinfo on lookup threads, answers through
// the asking thread's event loop.
class ThreadedNameResolver final : public NameResolver {
public:
    explicit ThreadedNameResolver(std::shared_ptr<LookupThreads> threads = LookupThreads::System());
    ThreadedNameResolver(const ThreadedNameResolver&) = delete;
    ThreadedNameResolver& operator=(const ThreadedNameResolver&) = delete;

    // Lookups still under way when the resolver goes deliver nothing.
    std::unique_ptr<Lookup> Start(const std::string& host, Answer answer) override;

private:
    std::shared_ptr<LookupThreads> threads_;
    // Its lookups hold it weakly and answer only while it lives.
    std::shared_ptr<const int> life_ = std::make_shared<const int>(0);
};

}  // namespace trelvo
