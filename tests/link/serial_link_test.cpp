#include "link/serial_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "line_readback.h"
#include "pseudo_terminal.h"
#include "scratch_dir.h"

namespace trelvo {
namespace {

using testing::LineReadback;
using testing::Pattern;
using testing::PseudoTerminal;
using testing::ReadLine;

constexpr int kBaud = 115200;

// Arrival on a pseudo-terminal is asynchronous; bytes that never arrive
// fail the test after a while instead of holding it.
void AwaitInput(SerialLink& link, std::uint32_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (link.InputCount() < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_GE(link.InputCount(), count) << "the pseudo-terminal never delivered the bytes";
}

TEST(SerialLink, OpensAPseudoTerminalInTheFixedLineSettings) {
    PseudoTerminal line;
    SerialLink link;
    ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
    const LineReadback settings = ReadLine(line.Master());
    EXPECT_TRUE(settings.frame8N1);
    EXPECT_TRUE(settings.localReceiver);
    EXPECT_TRUE(settings.hardwareHandshake);
    EXPECT_FALSE(settings.softwareFlowControl);
    EXPECT_TRUE(settings.raw);
    EXPECT_EQ(link.InputCount(), 0u);
}

TEST(SerialLink, AppliesTheRateUnchanged) {
    for (const int baud : {7200, 14400, 115200}) {
        PseudoTerminal line;
        SerialLink link;
        ASSERT_TRUE(link.Open(line.SlavePath(), baud, true));
        const LineReadback settings = ReadLine(line.Master());
        EXPECT_EQ(settings.outputRate, static_cast<unsigned>(baud));
        EXPECT_EQ(settings.inputRate, static_cast<unsigned>(baud));
    }
}

TEST(SerialLink, OpensButKeepsThePreviousRateForNonPositiveRates) {
    for (const int baud : {0, -9600}) {
        PseudoTerminal line;
        const unsigned before = ReadLine(line.Master()).outputRate;
        SerialLink link;
        EXPECT_TRUE(link.Open(line.SlavePath(), baud, true)) << baud;
        EXPECT_EQ(ReadLine(line.Master()).outputRate, before) << baud;
    }
}

TEST(SerialLink, OpenFailsForAMissingDevice) {
    ScratchDir dir;
    SerialLink link;
    EXPECT_FALSE(link.Open(dir.PathOf("no-such-port"), kBaud, true));
    EXPECT_FALSE(link.IsOutputEmpty());
}

// A plain file has no terminal settings at all, and no terminal exclusivity
// either: only the lock keeps the second link out.
TEST(SerialLink, OpensADeviceThatRefusesSerialSettingsButOnlyOnce) {
    ScratchDir dir;
    const std::string path = dir.Write("port", "");
    SerialLink first;
    SerialLink second;
    ASSERT_TRUE(first.Open(path, kBaud, true));
    const long descriptors = OpenDescriptorCount();
    EXPECT_FALSE(second.Open(path, kBaud, true));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST(SerialLink, SecondOpenOfAHeldPortFails) {
    PseudoTerminal line;
    SerialLink first;
    SerialLink second;
    ASSERT_TRUE(first.Open(line.SlavePath(), kBaud, true));
    EXPECT_FALSE(second.Open(line.SlavePath(), kBaud, true));
    first.Close();
    EXPECT_TRUE(second.Open(line.SlavePath(), kBaud, true));
}

TEST(SerialLink, DestructionReleasesThePort) {
    PseudoTerminal line;
    const long descriptors = OpenDescriptorCount();
    {
        SerialLink first;
        ASSERT_TRUE(first.Open(line.SlavePath(), kBaud, true));
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    SerialLink second;
    EXPECT_TRUE(second.Open(line.SlavePath(), kBaud, true));
}

TEST(SerialLink, DiscardsBytesThatArrivedBeforeOpen) {
    PseudoTerminal line;
    line.Send({'o', 'l', 'd'});
    SerialLink link;
    ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
    EXPECT_EQ(link.InputCount(), 0u);
    line.Send({'n'});
    AwaitInput(link, 1);
    std::uint8_t byte = 0;
    ASSERT_EQ(link.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 'n');
}

TEST(SerialLink, CountsAndReadsWhatArrives) {
    PseudoTerminal line;
    SerialLink link;
    ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
    line.Send(Pattern(18));
    AwaitInput(link, 18);
    EXPECT_EQ(link.InputCount(), 18u);
    std::vector<std::uint8_t> header(18);
    ASSERT_EQ(link.Read(header.data(), 18), 18u);
    EXPECT_EQ(header, Pattern(18));
    EXPECT_EQ(link.InputCount(), 0u);
}

TEST(SerialLink, ReadReturnsWhatIsThereWithoutWaiting) {
    for (const bool waitingReads : {true, false}) {
        PseudoTerminal line;
        SerialLink link;
        ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, waitingReads));
        std::vector<std::uint8_t> got(10);
        EXPECT_EQ(link.Read(got.data(), 10), 0u) << waitingReads;
        line.Send(Pattern(4));
        AwaitInput(link, 4);
        ASSERT_EQ(link.Read(got.data(), 10), 4u) << waitingReads;
        got.resize(4);
        EXPECT_EQ(got, Pattern(4)) << waitingReads;
    }
}

// The hang-up shows at once, before anything is written into the dead line.
TEST(SerialLink, HungUpLineFailsReadAndWriteWithoutWaiting) {
    PseudoTerminal line;
    SerialLink link;
    ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
    EXPECT_FALSE(link.HasFailed());
    line.HangUp();
    EXPECT_TRUE(link.HasFailed());
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(link.Read(buffer, 4), 0u);
    EXPECT_FALSE(link.Write(buffer, 4));
    EXPECT_TRUE(link.HasFailed());
    // A fresh open of a good line starts without the mark.
    PseudoTerminal other;
    ASSERT_TRUE(link.Open(other.SlavePath(), kBaud, true));
    EXPECT_FALSE(link.HasFailed());
}

TEST(SerialLink, ClosedLinkRefusesEverythingAndClosesTwiceHarmlessly) {
    PseudoTerminal line;
    SerialLink link;
    ASSERT_TRUE(link.Open(line.SlavePath(), kBaud, true));
    line.Send({'x'});
    AwaitInput(link, 1);
    link.Close();
    link.Close();
    std::uint8_t byte = 0;
    EXPECT_EQ(link.Read(&byte, 1), 0u);
    EXPECT_FALSE(link.Write(&byte, 1));
    EXPECT_EQ(link.InputCount(), 0u);
    EXPECT_FALSE(link.IsOutputEmpty());
}

}  // namespace
}  // namespace trelvo
