#include "link/win32/win32_event_loop.h"

#include "event_loop_contract.h"

// The Windows command line's loop: the thread's messages and a periodic
// timer, run on the test's thread.
namespace trelvo {
namespace {

TEST(Win32EventLoopTest, ATaskPostedFromAnotherThreadRunsOnTheLoopsThread) {
    Win32EventLoop loop;
    ExpectATaskPostedFromAnotherThreadRunsOnTheLoopsThread(loop);
}

TEST(Win32EventLoopTest, TicksComeBetweenTasksThatKeepPostingAndStopWhenAsked) {
    Win32EventLoop loop;
    ExpectTicksBetweenTasksThatKeepPostingAndNoneAfterStopping(loop);
}

}  // namespace
}  // namespace trelvo
