#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "link/net_link.h"
#include "link/serial_link.h"
#include "message_pump.h"
// <windows.h> makes MessageBox a macro for its own function; the job's
// interface of that name is the one meant from here on.
#undef MessageBox
#include "job/update_job.h"
#include "link/win32/win32_tick_clock.h"

// Whole updates on the Windows links against the Linux recorder simulator,
// which the with-recorder-sim script starts for each test with the options
// the test's ctest entry names. It says where the simulator serves:
// TRELVO_SIM_ADDRESS (TCP on 127.0.0.1) or TRELVO_SIM_PORT (COM1, mapped by
// Wine to the simulator's terminal). Run without it, these tests skip.
namespace trelvo {
namespace {

using testing::PumpUntil;

constexpr char kUpdateFile[] = "update.sh";
// The simulator saves the file it received here (--save), in the same folder.
constexpr char kReceivedFile[] = "received.sh";
constexpr char kPassword[] = "admin";
// The longest a whole test update may take: the network sends its file in
// 100 ticks of 50 ms.
constexpr DWORD kUpdateLimitMs = 30000;

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::vector<char> ReadAll(const char* name) {
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Every byte value, so a link that translated line ends or stopped at a
// zero would show.
std::vector<char> WriteUpdateFile(std::size_t size) {
    std::vector<char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    std::ofstream(kUpdateFile, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(size));
    return bytes;
}

// A job on the Windows links, driven as the window drives it: the message
// loop delivers the links' messages and a 50 ms timer pumps the transfer.
class Win32JobRig : private MessageBox, private JobOwner, private NetLinkEvents {
public:
    NetLink net;
    SerialLink serial;

private:
    Win32TickClock clock_;

public:
    UpdateJob job{net, serial, clock_, *this};

    // The link's notifications pass through the rig on their way to the job.
    Win32JobRig() {
        job.SetOwner(*this);
        net.SetEvents(this);
    }
    ~Win32JobRig() override { net.SetEvents(nullptr); }

    bool RunUntil(const std::function<bool()>& done, DWORD limitMs) {
        return PumpUntil(done, limitMs, [this] { Tick(); });
    }
    // Until the file has stopped leaving for ten ticks in a row.
    bool RunUntilStuck(DWORD limitMs) {
        return RunUntil([this] { return job.blocksSent() > 0 && ticksWithoutBlock >= 10; },
                        limitMs);
    }
    void Tick() {
        const std::int32_t before = job.blocksSent();
        job.PumpTransfer();
        job.RemainingTimeText();
        ticksWithoutBlock = job.blocksSent() == before ? ticksWithoutBlock + 1 : 0;
        ++ticks;
    }

    std::vector<JobOutcome> outcomes;
    // The errors the link reported with its hang-ups.
    std::vector<int> hangUps;
    int ticks = 0;
    int ticksWithoutBlock = 0;

private:
    void OnConnect(int error) override { job.OnConnect(error); }
    void OnReceive(int error) override { job.OnReceive(error); }
    void OnClose(int error) override {
        hangUps.push_back(error);
        job.OnClose(error);
    }
    void Show(const std::string&) override {}
    void EnableInputs(bool) override {}
    void JobEnded(const JobOutcome& outcome) override { outcomes.push_back(outcome); }
};

class RecorderSim : public ::testing::Test {
protected:
    void SetUp() override {
        address_ = Environment("TRELVO_SIM_ADDRESS");
        port_ = Environment("TRELVO_SIM_PORT");
        if (address_.empty() && port_.empty()) {
            GTEST_SKIP() << "no recorder simulator: run through with-recorder-sim";
        }
    }

    bool StartNetwork() {
        const std::string host = address_.substr(0, address_.find(':'));
        const auto port = static_cast<std::uint16_t>(std::stoi(address_.substr(host.size() + 1)));
        return rig.job.StartNetwork(kUpdateFile, kPassword, "code", host, port);
    }
    bool StartSerial() {
        return rig.job.StartSerial(kUpdateFile, kPassword, "code", port_, 115200);
    }

    // Abort is the job's Close from outside: it must return at once, whatever
    // the recorder does, and leave the job ended.
    void AbortWithinATick() {
        const DWORD before = GetTickCount();
        rig.job.Close();
        const DWORD took = GetTickCount() - before;
        EXPECT_LT(took, static_cast<DWORD>(TICK_PERIOD_MS));
        EXPECT_EQ(rig.job.state(), JobState::Idle);
        ASSERT_FALSE(rig.outcomes.empty());
        EXPECT_EQ(rig.outcomes.back().kind, Outcome::Aborted);
    }

    void UpdateArrivesByteForByte(std::size_t size, const std::function<bool()>& start) {
        const std::vector<char> sent = WriteUpdateFile(size);
        ASSERT_TRUE(start());
        ASSERT_TRUE(
            rig.RunUntil([&] { return rig.job.state() == JobState::Idle; }, kUpdateLimitMs));
        ASSERT_EQ(rig.outcomes.size(), 1U);
        EXPECT_TRUE(rig.outcomes[0].succeeded());
        EXPECT_EQ(ReadAll(kReceivedFile), sent);
    }

    std::string address_;
    std::string port_;
    Win32JobRig rig;
};

// with-recorder-sim --listen 127.0.0.1:0 --save received.sh
TEST_F(RecorderSim, NetworkUpdateArrivesByteForByte) {
    UpdateArrivesByteForByte(300000, [this] { return StartNetwork(); });
}

// with-recorder-sim --pty --save received.sh
TEST_F(RecorderSim, SerialUpdateArrivesByteForByte) {
    UpdateArrivesByteForByte(20000, [this] { return StartSerial(); });
}

// with-recorder-sim --listen 127.0.0.1:0 --stop-reading-after 100000: the
// file stops leaving, the send buffer keeps the rest, the thread goes on.
TEST_F(RecorderSim, NetworkRecorderThatStopsReadingIsAborted) {
    WriteUpdateFile(20000000);
    ASSERT_TRUE(StartNetwork());
    ASSERT_TRUE(rig.RunUntilStuck(kUpdateLimitMs));
    EXPECT_GT(rig.net.PendingBytes(), 0);
    AbortWithinATick();
    EXPECT_EQ(rig.net.PendingBytes(), 0);
}

// with-recorder-sim --pty --stop-reading-after 3000: the line takes nothing
// more, the overlapped write stays under way, the thread goes on.
TEST_F(RecorderSim, SerialLineThatStopsTakingIsAborted) {
    WriteUpdateFile(400000);
    ASSERT_TRUE(StartSerial());
    ASSERT_TRUE(rig.RunUntilStuck(kUpdateLimitMs));
    EXPECT_FALSE(rig.serial.IsOutputEmpty());
    AbortWithinATick();
    EXPECT_FALSE(rig.serial.HasFailed());
}

// with-recorder-sim --listen 127.0.0.1:0 --silent-after 1: the version is
// answered, the password never is.
TEST_F(RecorderSim, SilentRecorderLeavesTheJobWaitingUntilAborted) {
    WriteUpdateFile(1000);
    ASSERT_TRUE(StartNetwork());
    ASSERT_TRUE(
        rig.RunUntil([&] { return rig.job.state() == JobState::AwaitAccess; }, kUpdateLimitMs));
    const int ticks = rig.ticks;
    rig.RunUntil([&] { return rig.ticks >= ticks + 10; }, kUpdateLimitMs);
    EXPECT_EQ(rig.job.state(), JobState::AwaitAccess);
    EXPECT_TRUE(rig.outcomes.empty());
    AbortWithinATick();
}

// with-recorder-sim --listen 127.0.0.1:0 --close-after-bytes 300000 [--reset]:
// the recorder goes in the middle of the file. The link tells the job once,
// and the job ends at once as a lost connection instead of waiting on a
// connection that is gone. Wine reports a reset like an orderly close, so
// the error may be 0 there.
TEST_F(RecorderSim, HangUpInTheMiddleOfTheFileEndsTheJob) {
    WriteUpdateFile(3000000);
    ASSERT_TRUE(StartNetwork());
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.outcomes.empty(); }, kUpdateLimitMs));
    ASSERT_EQ(rig.hangUps.size(), 1U);
    EXPECT_TRUE(rig.hangUps[0] == 0 || rig.hangUps[0] == WSAECONNRESET) << rig.hangUps[0];
    ASSERT_EQ(rig.outcomes.size(), 1U);
    EXPECT_EQ(rig.outcomes[0].kind, Outcome::ConnectionLost);
    EXPECT_EQ(rig.job.state(), JobState::Idle);
}

}  // namespace
}  // namespace trelvo
