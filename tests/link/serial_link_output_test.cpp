// The serial link's writes never wait for the line: what the driver will not
// take waits in the link and leaves, in order, from the Qt event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "link/serial_link.h"
#include "pseudo_terminal.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

using testing::Pattern;
using testing::PseudoTerminal;
using Bytes = std::vector<std::uint8_t>;

constexpr int kBaud = 115200;
// Far more than a pseudo-terminal buffers, so most of it has to wait in the link.
constexpr std::size_t kBacklog = std::size_t{256} * 1024;
constexpr std::size_t kBlock = 1024;

bool WaitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 10000);
}

// Runs the event loop without waiting, so queued bytes get every chance to leave.
void RunIdleRounds() {
    for (int round = 0; round < 50; ++round) {
        QCoreApplication::processEvents();
    }
}

bool SameSettings(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::equal(a.c_cc, a.c_cc + NCCS, b.c_cc) &&
           cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

// A recorder that reads the first few KiB, then stops reading: the link has
// handed over far more than the line holds.
class StalledLine : public ::testing::Test {
protected:
    void SetUp() override {
        descriptors = OpenDescriptorCount();
        original = line.Settings();
        ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
        // A write that waited for the line would hang here (the test's time-out ends it).
        for (std::size_t at = 0; at < sent.size(); at += kBlock) {
            ASSERT_TRUE(link.Write(sent.data() + at, kBlock));
        }
        received = line.Receive(4096);
        RunIdleRounds();
    }

    PseudoTerminal line;
    SerialLink link;
    const Bytes sent = Pattern(kBacklog);
    Bytes received;
    long descriptors = 0;
    termios original{};
};

TEST_F(StalledLine, WritesGoOnReturningAtOnceAndTheOutputIsNotEmpty) {
    EXPECT_FALSE(link.IsOutputEmpty());
    EXPECT_TRUE(link.Write(sent.data(), kBlock));
    RunIdleRounds();
    EXPECT_FALSE(link.IsOutputEmpty());
    EXPECT_FALSE(link.HasFailed());
}

TEST_F(StalledLine, QueuedBytesLeaveInOrderOnceTheFarEndReadsAgain) {
    // The line has room again before the queue has moved: new bytes still go behind it.
    const Bytes more = line.Receive(4096);
    received.insert(received.end(), more.begin(), more.end());
    const Bytes tail(kBlock, 0xEE);
    ASSERT_TRUE(link.Write(tail.data(), kBlock));
    Bytes expected = sent;
    expected.insert(expected.end(), tail.begin(), tail.end());
    ASSERT_TRUE(WaitFor([&] {
        const Bytes arrived = line.ReceiveAvailable();
        received.insert(received.end(), arrived.begin(), arrived.end());
        return received.size() >= expected.size();
    }));
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(link.IsOutputEmpty());
}

TEST_F(StalledLine, CloseDropsTheQueueAndPutsThePortBackAsItWas) {
    link.Close();
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_TRUE(SameSettings(line.Settings(), original));
    EXPECT_FALSE(link.IsOutputEmpty());
    RunIdleRounds();
    // The far end gets at most what the line held before Close, never the queue.
    const Bytes more = line.ReceiveAvailable();
    received.insert(received.end(), more.begin(), more.end());
    ASSERT_LT(received.size(), sent.size());
    EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    SerialLink next;
    EXPECT_TRUE(next.Open(line.SlavePath(), kBaud, true));
}

TEST_F(StalledLine, AHangUpEndsTheLine) {
    line.HangUp();
    ASSERT_TRUE(WaitFor([&] { return link.HasFailed(); }));
    EXPECT_FALSE(link.Write(sent.data(), kBlock));
    link.Close();
    // The hang-up closed the far end's descriptor too.
    EXPECT_EQ(OpenDescriptorCount(), descriptors - 1);
}

TEST(SerialLinkOutput, DriverOutputCountDecidesOnceNothingIsQueued) {
    const struct {
        std::uint32_t driverCount;
        bool empty;
    } cases[] = {{0, true}, {1, false}, {4096, false}};
    for (const auto& c : cases) {
        PseudoTerminal line;
        int askedAbout = -1;
        SerialLink link([&](int fd) {
            askedAbout = fd;
            return c.driverCount;
        });
        EXPECT_FALSE(link.IsOutputEmpty()) << "closed, driver count " << c.driverCount;
        ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
        EXPECT_EQ(link.IsOutputEmpty(), c.empty) << "driver count " << c.driverCount;
        EXPECT_GE(askedAbout, 0);
    }
}

TEST(SerialLinkOutput, OpeningAgainClearsAFailure) {
    PseudoTerminal first;
    SerialLink link;
    ASSERT_TRUE(link.Open(first.SlavePath(), kBaud, true));
    first.HangUp();
    const std::uint8_t byte = 'x';
    EXPECT_FALSE(link.Write(&byte, 1));
    ASSERT_TRUE(link.HasFailed());
    PseudoTerminal second;
    ASSERT_TRUE(link.Open(second.SlavePath(), kBaud, true));
    EXPECT_FALSE(link.HasFailed());
    EXPECT_TRUE(link.Write(&byte, 1));
    EXPECT_EQ(second.Receive(1), Bytes{'x'});
}

// A pseudo-terminal has no modem lines, so whether it takes DTR is left out there.
TEST(SerialLinkOutput, OpenNotesTheStepsTheDeviceRefused) {
    using Step = SerialLink::Step;
    const unsigned everything = Step::kExclusive | Step::kSaveSettings | Step::kLineSettings |
                                Step::kLineRate | Step::kDtrOff | Step::kPurge;
    const struct {
        const char* name;
        bool terminal;
        int baud;
        unsigned refused;
    } cases[] = {
        {"terminal", true, kBaud, 0},
        {"terminal without a rate", true, 0, Step::kLineRate},
        {"plain file", false, kBaud, everything},
    };
    for (const auto& c : cases) {
        PseudoTerminal line;
        ScratchDir dir;
        SerialLink link;
        ASSERT_TRUE(link.Open(c.terminal ? line.SlavePath() : dir.Write("port", ""), c.baud, true));
        const unsigned ignored = c.terminal ? unsigned{Step::kDtrOff} : 0U;
        EXPECT_EQ(link.refusedSteps() & ~ignored, c.refused) << c.name;
    }
}

}  // namespace
}  // namespace trelvo
