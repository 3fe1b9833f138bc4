#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace trelvo {

class ReadinessWatch;

// Readiness of many descriptors through one epoll set, and tasks posted
// from any thread. The set's own descriptor is all a loop has to wait on:
// the command line waits on it itself, a Qt window through one notifier.
// A loop that watched every socket on its own paid for all of them whenever
// one was ready; here a wake costs what is ready. Level-triggered.
class ReadinessHub {
public:
    using Task = std::function<void()>;

    ReadinessHub();
    ~ReadinessHub();
    ReadinessHub(const ReadinessHub&) = delete;
    ReadinessHub& operator=(const ReadinessHub&) = delete;

    // The hub of the thread that runs the event loop.
    static ReadinessHub& ForEventLoop();

    // Readable whenever something waits for Dispatch; -1 when the hub could
    // not be made.
    int fd() const { return epollFd_; }
    // Delivers what is ready now, then the tasks posted so far.
    void Dispatch();
    // Waits up to `timeoutMs` (-1: for ever) for something to deliver, then
    // delivers it.
    void Wait(int timeoutMs);
    // Runs `task` within a later Dispatch, on the loop's thread. Safe from
    // any thread.
    void Post(Task task);

private:
    friend class ReadinessWatch;

    // A registration's key, or 0 when the descriptor cannot be watched.
    std::uint64_t Add(ReadinessWatch& watch, int fd, std::uint32_t events);
    void Change(int fd, std::uint64_t key, std::uint32_t events);
    void Remove(int fd, std::uint64_t key);
    void Deliver(std::uint64_t key, bool ReadinessWatch::*wanted,
                 std::function<void()> ReadinessWatch::*handler);
    void RunPosted();

    int epollFd_;
    // Counts posted tasks; in the epoll set under key 0, which no watch gets.
    int postedFd_;
    std::mutex postedMutex_;
    std::vector<Task> posted_;
    // Keys of live registrations: readiness collected for one that has gone
    // since (its watch closed or destroyed) is dropped.
    std::unordered_map<std::uint64_t, ReadinessWatch*> watches_;
    std::uint64_t lastKey_ = 0;
};

// One descriptor's readiness to read and to write, each reported while it is
// watched. Turning a direction off takes effect at once: readiness the hub
// has already collected is not delivered any more.
class ReadinessWatch {
public:
    ReadinessWatch(std::function<void()> onReadable, std::function<void()> onWritable,
                   ReadinessHub& hub = ReadinessHub::ForEventLoop());
    ~ReadinessWatch();
    ReadinessWatch(const ReadinessWatch&) = delete;
    ReadinessWatch& operator=(const ReadinessWatch&) = delete;

    // Watches `fd` (or nothing for -1) in neither direction; call before the
    // previous descriptor is closed.
    void SetDescriptor(int fd);
    void WatchReads(bool on);
    void WatchWrites(bool on);
    bool watchingReads() const { return reads_; }
    bool watchingWrites() const { return writes_; }

private:
    friend class ReadinessHub;

    void Apply();

    ReadinessHub& hub_;
    std::function<void()> onReadable_;
    std::function<void()> onWritable_;
    int fd_ = -1;
    std::uint64_t key_ = 0;     // 0: not in the epoll set
    std::uint32_t events_ = 0;  // what the epoll set holds it for, while in it
    bool reads_ = false;
    bool writes_ = false;
};

}  // namespace trelvo
