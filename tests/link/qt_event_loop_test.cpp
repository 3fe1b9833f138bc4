#include "link/qt/qt_event_loop.h"

#include "event_loop_contract.h"

// The windows' loop: the Qt event loop of the test's thread, which the
// suite's main has set up.
namespace trelvo {
namespace {

TEST(QtEventLoopTest, ATaskPostedFromAnotherThreadRunsOnTheLoopsThread) {
    QtEventLoop loop;
    ExpectATaskPostedFromAnotherThreadRunsOnTheLoopsThread(loop);
}

TEST(QtEventLoopTest, TicksComeBetweenTasksThatKeepPostingAndStopWhenAsked) {
    QtEventLoop loop;
    ExpectTicksBetweenTasksThatKeepPostingAndNoneAfterStopping(loop);
}

TEST(QtEventLoopTest, ATaskStillQueuedWhenTheLoopGoesIsDropped) {
    bool ran = false;
    {
        QtEventLoop loop;
        loop.Post([&] { ran = true; });
    }
    QtEventLoop later;
    later.Post([&] { later.Quit(0); });
    EXPECT_EQ(later.Run(), 0);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace trelvo
