#include "link/win32/win32_event_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

// The Windows command line's loop: the thread's messages and a periodic
// timer, run on the test's thread.
namespace trelvo {
namespace {

TEST(Win32EventLoopTest, ATaskPostedFromAnotherThreadRunsOnTheLoopsThread) {
    Win32EventLoop loop;
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
// not starved by it; stopping the ticks from a tick ends them at once.
TEST(Win32EventLoopTest, TicksComeBetweenTasksThatKeepPostingAndStopWhenAsked) {
    Win32EventLoop loop;
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

}  // namespace
}  // namespace trelvo
