#include "link/posix/posix_event_loop.h"

#include "event_loop_contract.h"

// The command line's own wait, without the toolkit's loop: each test makes
// a hub of its own and runs it on the test's thread.
namespace trelvo {
namespace {

TEST(PosixEventLoopTest, ATaskPostedFromAnotherThreadRunsOnTheLoopsThread) {
    ReadinessHub hub;
    PosixEventLoop loop(hub);
    ExpectATaskPostedFromAnotherThreadRunsOnTheLoopsThread(loop);
}

TEST(PosixEventLoopTest, TicksComeBetweenTasksThatKeepPostingAndStopWhenAsked) {
    ReadinessHub hub;
    PosixEventLoop loop(hub);
    ExpectTicksBetweenTasksThatKeepPostingAndNoneAfterStopping(loop);
}

}  // namespace
}  // namespace trelvo
