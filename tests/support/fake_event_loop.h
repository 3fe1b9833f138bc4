#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "link/event_loop.h"

namespace trelvo::testing {

// An event loop whose turns the test takes: posted tasks wait until
// RunTurn or RunPosted, ticks until Tick. Like a real loop it takes tasks
// from any thread.
class FakeEventLoop final : public EventLoop {
public:
    void Post(Task task) override {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
        posting_.notify_all();
    }
    void SetTicks(std::uint32_t periodMs, Task tick) override {
        tickPeriodMs = tick ? periodMs : 0;
        tick_ = std::move(tick);
    }

    // One turn: the tasks posted before it, not those they post.
    void RunTurn() {
        for (std::size_t count = Posted(); count > 0; --count) {
            Task task;
            {
                const std::lock_guard lock(mutex_);
                if (posted_.empty()) {
                    return;
                }
                task = std::move(posted_.front());
                posted_.pop_front();
            }
            task();
        }
    }
    // Turns until nothing is posted, at most `turns`.
    void RunPosted(int turns = 100) {
        for (; turns > 0 && Posted() != 0; --turns) {
            RunTurn();
        }
    }
    // For a task another thread posts: true once one waits.
    bool WaitForPost(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::unique_lock lock(mutex_);
        return posting_.wait_for(lock, limit, [this] { return !posted_.empty(); });
    }
    void Tick() {
        if (tick_) {
            const Task tick = tick_;
            tick();
        }
    }
    bool ticking() const { return static_cast<bool>(tick_); }

    std::uint32_t tickPeriodMs = 0;

private:
    std::size_t Posted() {
        const std::lock_guard lock(mutex_);
        return posted_.size();
    }

    std::mutex mutex_;
    std::condition_variable posting_;
    std::deque<Task> posted_;
    Task tick_;
};

}  // namespace trelvo::testing
