#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "link/event_loop.h"

namespace trelvo::testing {

// An event loop whose turns the test takes: posted tasks wait until
// RunTurn or RunPosted, ticks until Tick.
class FakeEventLoop final : public EventLoop {
public:
    void Post(Task task) override { posted_.push_back(std::move(task)); }
    void SetTicks(std::uint32_t periodMs, Task tick) override {
        tickPeriodMs = tick ? periodMs : 0;
        tick_ = std::move(tick);
    }

    // One turn: the tasks posted before it, not those they post.
    void RunTurn() {
        for (std::size_t count = posted_.size(); count > 0 && !posted_.empty(); --count) {
            Task task = std::move(posted_.front());
            posted_.pop_front();
            task();
        }
    }
    // Turns until nothing is posted, at most `turns`.
    void RunPosted(int turns = 100) {
        for (; turns > 0 && !posted_.empty(); --turns) {
            RunTurn();
        }
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
    std::deque<Task> posted_;
    Task tick_;
};

}  // namespace trelvo::testing
