// Serial writes never wait for the line: what the driver will not take waits
// in the link and leaves, in order, from the Qt event loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "event_loop.h"
#include "line_readback.h"
#include "link/posix/posix_serial_backend.h"
#include "link/serial_link.h"
#include "pseudo_terminal.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

using namespace testing;
using Bytes = std::vector<std::uint8_t>;

constexpr int kBaud = 115200;
constexpr std::size_t kBlock = 1024;

// A recorder that reads the first 4 KiB and then stops, while the link has
// been handed far more than a pseudo-terminal holds. A write that waited for
// the line would hang here, and the test's time-out would end it.
class StalledLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
        for (std::size_t at = 0; at < sent.size(); at += kBlock) {
            ASSERT_TRUE(link.Write(sent.data() + at, kBlock));
        }
        received = line.Receive(4096);
        RunIdleRounds();
        ASSERT_FALSE(link.IsOutputEmpty());
    }

    PseudoTerminal line;
    const LineReadback before = ReadLine(line.Master());
    const long descriptors = OpenDescriptorCount();
    SerialLink link;
    const Bytes sent = Pattern(std::size_t{256} * 1024);
    Bytes received;
};

TEST_F(StalledLine, CloseNeitherWaitsNorLeavesAnythingBehind) {
    link.Close();
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(ReadLine(line.Master()), before);
    // The far end gets at most what the line held, never the queue.
    RunIdleRounds();
    const Bytes rest = line.ReceiveAvailable();
    received.insert(received.end(), rest.begin(), rest.end());
    ASSERT_LT(received.size(), sent.size());
    EXPECT_TRUE(std::equal(received.begin(), received.end(), sent.begin()));
    EXPECT_TRUE(SerialLink().Open(line.SlavePath(), kBaud, true));
}

TEST_F(StalledLine, QueuedBytesLeaveInOrderOnceTheFarEndReadsAgain) {
    // Room on the line before the queue has moved: new bytes still go behind it.
    Bytes expected = sent;
    const Bytes more = line.Receive(4096);
    received.insert(received.end(), more.begin(), more.end());
    const Bytes tail(kBlock, 0xEE);
    ASSERT_TRUE(link.Write(tail.data(), kBlock));
    expected.insert(expected.end(), tail.begin(), tail.end());
    ASSERT_TRUE(WaitFor([&] {
        const Bytes arrived = line.ReceiveAvailable();
        received.insert(received.end(), arrived.begin(), arrived.end());
        return received.size() >= expected.size();
    }));
    EXPECT_EQ(received, expected);
    EXPECT_TRUE(link.IsOutputEmpty());
}

TEST_F(StalledLine, AHangUpWhileBytesWaitEndsTheLine) {
    line.HangUp();
    ASSERT_TRUE(WaitFor([&] { return link.HasFailed(); }));
    EXPECT_FALSE(link.Write(sent.data(), kBlock));
}

// A pseudo-terminal always reports an empty driver queue, so only a stand-in
// count shows that the link asks the driver at all.
TEST(SerialLinkOutput, ADriverThatStillHoldsBytesIsNotEmpty) {
    for (const std::uint32_t count : {0U, 1U, 4096U}) {
        PseudoTerminal line;
        SerialLink link(std::make_unique<PosixSerialBackend>([count](int) { return count; }));
        ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
        EXPECT_EQ(link.IsOutputEmpty(), count == 0) << count;
    }
}

// Open keeps a port that refuses serial settings, but notes what it refused
// (a pseudo-terminal has no modem lines, so DTR is left out).
TEST(SerialLinkOutput, OpenNotesTheStepsTheDeviceRefused) {
    ScratchDir dir;
    PseudoTerminal line;
    const unsigned all = SerialLink::kExclusive | SerialLink::kSaveSettings |
                         SerialLink::kLineSettings | SerialLink::kLineRate | SerialLink::kDtrOff |
                         SerialLink::kPurge;
    const struct {
        std::string device;
        int baud;
        unsigned refused;
    } cases[] = {{line.SlavePath(), kBaud, 0},
                 {line.SlavePath(), 0, SerialLink::kLineRate},
                 {dir.Write("port", ""), kBaud, all}};
    for (const auto& c : cases) {
        SerialLink link;
        ASSERT_TRUE(link.Open(c.device, c.baud, true));
        EXPECT_EQ(link.refusedSteps() | SerialLink::kDtrOff, c.refused | SerialLink::kDtrOff)
            << c.device << " at " << c.baud;
    }
}

}  // namespace
}  // namespace trelvo
