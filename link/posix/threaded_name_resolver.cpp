#include "link/posix/threaded_name_resolver.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

#include "link/ipv4_address.h"
#include "link/posix/readiness_hub.h"

namespace trelvo {

// Shared by the asking thread, the lookup's own thread and the answer on its
// way; each field says who may touch it.
struct LookupThreads::Request {
    Request(std::string name, std::weak_ptr<const int> owner, ReadinessHub* loop,
            NameResolver::Answer reply)
        : host(std::move(name)),
          resolver(std::move(owner)),
          receiver(loop),
          answer(std::move(reply)) {}

    // Fixed from the start.
    const std::string host;
    const std::weak_ptr<const int> resolver;
    // Under the threads' mutex: the answer's way to the asking thread, null
    // once nobody waits for it; and whether the lookup holds a running place.
    ReadinessHub* receiver;
    bool running = false;
    // Only on the asking thread.
    NameResolver::Answer answer;
};

namespace {

// What a resolver hands out; once it has gone, an answer already on its way
// finds no one to give it to.
class ThreadLookup final : public NameResolver::Lookup {
public:
    ThreadLookup(std::shared_ptr<LookupThreads> threads,
                 std::shared_ptr<LookupThreads::Request> request)
        : threads_(std::move(threads)), request_(std::move(request)) {}
    ThreadLookup(const ThreadLookup&) = delete;
    ThreadLookup& operator=(const ThreadLookup&) = delete;

    ~ThreadLookup() override {
        // Once Cancel returns no thread posts to the receiver any more.
        threads_->Cancel(*request_);
        request_->answer = nullptr;
    }

private:
    std::shared_ptr<LookupThreads> threads_;
    std::shared_ptr<LookupThreads::Request> request_;
};

}  // namespace

LookupThreads::LookupThreads(Limits limits, LookupFunction lookup)
    : limits_(limits), lookup_(std::move(lookup)) {}

std::shared_ptr<LookupThreads> LookupThreads::Create(Limits limits, LookupFunction lookup) {
    return std::shared_ptr<LookupThreads>(new LookupThreads(limits, std::move(lookup)));
}

std::shared_ptr<LookupThreads> LookupThreads::System() {
    // Lookup threads hold their own share, so ending the program while one
    // still waits for getaddrinfo leaves nothing dangling.
    static const std::shared_ptr<LookupThreads> threads = Create(Limits{}, LookUpIpv4);
    return threads;
}

void LookupThreads::Enqueue(const std::shared_ptr<Request>& request) {
    const std::lock_guard lock(mutex_);
    waiting_.push_back(request);
    StartWaiting();
}

void LookupThreads::Cancel(Request& request) {
    const std::lock_guard lock(mutex_);
    request.receiver = nullptr;
    if (request.running) {
        // Its thread runs on, but the place goes to the next lookup.
        request.running = false;
        --running_;
    } else {
        std::erase_if(waiting_, [&](const auto& waiting) { return waiting.get() == &request; });
    }
    StartWaiting();
}

int LookupThreads::threadCount() const {
    const std::lock_guard lock(mutex_);
    return threads_;
}

// With the mutex held.
void LookupThreads::StartWaiting() {
    while (!waiting_.empty() && running_ < limits_.running && threads_ < limits_.threads) {
        const std::shared_ptr<Request> request = std::move(waiting_.front());
        waiting_.pop_front();
        request->running = true;
        ++running_;
        ++threads_;
        try {
            std::thread([self = shared_from_this(), request] { self->Run(request); }).detach();
        } catch (const std::system_error&) {
            // No thread to be had: the name stays unknown, like one that failed.
            request->running = false;
            --running_;
            --threads_;
            Deliver(request, std::nullopt);
        }
    }
}

// On the lookup's own thread.
void LookupThreads::Run(const std::shared_ptr<Request>& request) {
    bool wanted = false;
    {
        const std::lock_guard lock(mutex_);
        wanted = request->receiver != nullptr;
    }
    // Nobody waits for a lookup cancelled before its thread got going.
    const std::optional<std::uint32_t> address =
        wanted ? lookup_(request->host) : std::optional<std::uint32_t>{};
    const std::lock_guard lock(mutex_);
    Deliver(request, address);
    if (request->running) {
        request->running = false;
        --running_;
    }
    --threads_;
    StartWaiting();
}

// With the mutex held, so no answer is posted once the lookup is cancelled;
// one posted before finds its answer gone when the lookup has gone since.
void LookupThreads::Deliver(const std::shared_ptr<Request>& request,
                            std::optional<std::uint32_t> address) {
    if (request->receiver == nullptr) {
        return;
    }
    request->receiver->Post([request, address] {
        // On the asking thread, and only while the lookup exists.
        if (!request->answer || request->resolver.expired()) {
            return;
        }
        const NameResolver::Answer answer = std::exchange(request->answer, nullptr);
        answer(address);
    });
}

ThreadedNameResolver::ThreadedNameResolver(std::shared_ptr<LookupThreads> threads)
    : threads_(std::move(threads)) {}

std::unique_ptr<NameResolver::Lookup> ThreadedNameResolver::Start(const std::string& host,
                                                                  Answer answer) {
    // The loop that runs the links is this thread's, so the answer arrives here.
    auto request = std::make_shared<LookupThreads::Request>(
        host, life_, &ReadinessHub::ForEventLoop(), std::move(answer));
    threads_->Enqueue(request);
    return std::make_unique<ThreadLookup>(threads_, std::move(request));
}

}  // namespace trelvo
