#include "link/win32/win32_window_event_loop.h"

#include "event_loop_contract.h"
#include "message_pump.h"

// The window's loop: the same contract on its own Run, and its tasks and
// ticks also under a message loop that knows nothing of it, as a message
// box's or a file dialog's.
namespace trelvo {
namespace {

TEST(Win32WindowEventLoopTest, ATaskPostedFromAnotherThreadRunsOnTheLoopsThread) {
    Win32WindowEventLoop loop;
    ExpectATaskPostedFromAnotherThreadRunsOnTheLoopsThread(loop);
}

TEST(Win32WindowEventLoopTest, TicksComeBetweenTasksThatKeepPostingAndStopWhenAsked) {
    Win32WindowEventLoop loop;
    ExpectTicksBetweenTasksThatKeepPostingAndNoneAfterStopping(loop);
}

TEST(Win32WindowEventLoopTest, TasksAndTicksRunUnderAForeignMessageLoop) {
    Win32WindowEventLoop loop;
    int ticks = 0;
    bool posted = false;
    loop.SetTicks(10, [&] { ++ticks; });
    loop.Post([&] { posted = true; });
    EXPECT_TRUE(testing::PumpUntil([&] { return posted && ticks >= 3; }, 5000));
    loop.SetTicks(0, {});
    const int stopped = ticks;
    // A tick already queued when the ticks stopped is dropped.
    bool after = false;
    loop.Post([&] { after = true; });
    EXPECT_TRUE(testing::PumpUntil([&] { return after; }, 5000));
    testing::RunPosted();
    EXPECT_EQ(ticks, stopped);
}

TEST(Win32WindowEventLoopTest, ReplacedTicksCallOnlyTheNewTick) {
    Win32WindowEventLoop loop;
    int first = 0;
    int second = 0;
    loop.SetTicks(5, [&] { ++first; });
    ASSERT_TRUE(testing::PumpUntil([&] { return first > 0; }, 5000));
    loop.SetTicks(5, [&] { ++second; });
    const int firstWhenReplaced = first;
    EXPECT_TRUE(testing::PumpUntil([&] { return second >= 2; }, 5000));
    EXPECT_EQ(first, firstWhenReplaced);
}

}  // namespace
}  // namespace trelvo
