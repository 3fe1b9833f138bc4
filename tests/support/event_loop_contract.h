#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

// What every platform's own event loop (Post, SetTicks, Run, Quit) must do,
// checked on a loop the platform's suite makes and runs on its thread.
namespace trelvo {

template <class Loop>
void ExpectATaskPostedFromAnotherThreadRunsOnTheLoopsThread(Loop& loop) {
    std::thread::id ranOn;
    std::thread poster([&] {
        loop.Post([&] {
            ranOn = std::this_thread::get_id();
            loop.Quit(7);
        });
    });
    EXPECT_EQ(loop.Run(), 7);
    poster.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

// A task that posts again runs on a later turn, so ticks and readiness are
// not starved by it, nor is Quit; stopping the ticks from a tick ends them
// at once.
template <class Loop>
void ExpectTicksBetweenTasksThatKeepPostingAndNoneAfterStopping(Loop& loop) {
    std::vector<char> seen;
    std::function<void()> again = [&] {
        seen.push_back('t');
        loop.Post(again);
    };
    int ticks = 0;
    loop.SetTicks(1, [&] {
        seen.push_back('k');
        if (++ticks == 3) {
            loop.SetTicks(0, {});
            loop.Post([&] { loop.Quit(0); });
        }
    });
    loop.Post(again);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(ticks, 3);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 't');
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 'k'), 3);
}

}  // namespace trelvo
