// Whole updates over a real socket on 127.0.0.1 and a real pseudo-terminal,
// against the recorder simulator, driven by the real event loop and timer.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "job_rig.h"
#include "recorder_sim_process.h"
#include "scratch_session.h"

namespace trelvo {
namespace {

using testing::JobRig;
using testing::RecorderSimProcess;

const std::string kSuccess = "Aktualisierung erfolgreich beendet";
const std::string kConnectFailed = "Verbindungsaufbau fehlgeschlagen";
const std::string kNotUpdatable = "Diese Version des Rekorders ist per Trelvo nicht updatefähig";
const std::string kFailedSuffix = "\nAktualisierung konnte nicht durchgeführt werden";

std::string Pattern(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        content[i] = static_cast<char>(i * 131 + i / 251);
    }
    return content;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A port of 127.0.0.1 that nothing listens on (0 when none could be found).
std::uint16_t ClosedPort() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(probe);
    return bound ? ntohs(address.sin_port) : 0;
}

class UpdateEndToEnd : public ::testing::Test {
protected:
    // Writes the update file and returns its content.
    std::string UpdateFile(const std::string& name, std::size_t size) {
        std::string content = Pattern(size);
        session_.dir().Write(name, content);
        return content;
    }
    std::string SavedPath() const { return session_.dir().PathOf("received"); }
    std::string Saved() const { return ReadWhole(SavedPath()); }

    bool StartNetwork(JobRig& rig, const RecorderSimProcess& sim, const std::string& file) {
        return rig.job.StartNetwork(file, "admin", "CODE-7", "127.0.0.1", sim.port());
    }

    ScratchSession session_;
};

// Blocks of 15,000 bytes: more than the network link's first send buffer.
TEST_F(UpdateEndToEnd, NetworkUpdateStreamsTheFileIntactOneBlockPerTick) {
    const std::string content = UpdateFile("big.sh", 1500000);
    RecorderSimProcess sim({"--save", QString::fromStdString(SavedPath()), "--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    JobRig rig;
    ASSERT_TRUE(StartNetwork(rig, sim, "big.sh"));
    ASSERT_TRUE(rig.RunUntilIdle(60000));
    EXPECT_EQ(rig.messages(), std::vector<std::string>{kSuccess});
    EXPECT_EQ(rig.inputsGivenBack(), 1);
    EXPECT_TRUE(Saved() == content) << "received " << Saved().size() << " bytes";
}

// Seen from the recorder: the blocks arrive at most one per tick, so 100
// blocks take 99 tick periods at the least; and the time text counts down.
TEST_F(UpdateEndToEnd, BlocksReachTheRecorderOnePerTickWhileTheTimeCountsDown) {
    UpdateFile("paced.sh", 5000);  // 100 blocks of 50 bytes, an empty last step
    RecorderSimProcess sim({"--quiet", "--trace"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    JobRig rig;
    ASSERT_TRUE(StartNetwork(rig, sim, "paced.sh"));
    ASSERT_TRUE(rig.RunUntilIdle(60000));
    ASSERT_EQ(rig.messages(), std::vector<std::string>{kSuccess});
    const auto arrivals = sim.FileArrivals();
    ASSERT_FALSE(arrivals.empty());
    ASSERT_EQ(arrivals.back().bytes, 5000u);
    // Late ticks only ever slow the blocks down; a timer that fires late may
    // let the next follow sooner, hence one block of slack.
    for (std::size_t i = 0; i < arrivals.size(); ++i) {
        for (std::size_t j = i + 1; j < arrivals.size(); ++j) {
            const std::uint64_t blocks = (arrivals[j].bytes - arrivals[i].bytes) / 50;
            const std::int64_t ticks = (arrivals[j].ms - arrivals[i].ms) / TICK_PERIOD_MS;
            ASSERT_LE(blocks, static_cast<std::uint64_t>(ticks) + 1) << i << ".." << j;
        }
    }
    EXPECT_GE(arrivals.back().ms - arrivals.front().ms, 99 * TICK_PERIOD_MS - TICK_PERIOD_MS);

    std::vector<int> seconds;
    for (const std::string& text : rig.timeTexts()) {
        int h = 0;
        int m = 0;
        int s = 0;
        if (std::sscanf(text.c_str(), "%2d:%2d:%2d", &h, &m, &s) == 3) {
            seconds.push_back(h * 3600 + m * 60 + s);
        } else {
            ASSERT_EQ(text, "--:--:--");
        }
    }
    // The first estimate rests on no block at all; from its peak on, the
    // time only goes down (a late tick may add a second).
    ASSERT_GE(seconds.size(), 90u);
    const auto peak = std::max_element(seconds.begin(), seconds.end());
    EXPECT_GE(*peak, 3);
    EXPECT_EQ(seconds.back(), 0);
    int lowest = *peak;
    for (auto at = peak; at != seconds.end(); ++at) {
        EXPECT_LE(*at, lowest + 1);
        lowest = std::min(lowest, *at);
    }
}

TEST_F(UpdateEndToEnd, SerialUpdateOverAPseudoTerminal) {
    for (const std::size_t size : {900u, 3000u}) {
        const std::string content = UpdateFile("a.sh", size);
        RecorderSimProcess sim({"--pty", "--save", QString::fromStdString(SavedPath()), "--quiet"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        JobRig rig;
        ASSERT_TRUE(rig.job.StartSerial("a.sh", "admin", "CODE-7", sim.device(), 115200));
        ASSERT_TRUE(rig.RunUntilIdle()) << size;
        EXPECT_EQ(rig.messages(), std::vector<std::string>{kSuccess}) << size;
        EXPECT_TRUE(Saved() == content) << size;
        EXPECT_EQ(rig.mostBlocksInOneTick(), 1) << size;
    }
}

TEST_F(UpdateEndToEnd, EveryRefusalAndResultReachesTheOperator) {
    struct Case {
        QStringList simArguments;
        std::string message;
    };
    const Case cases[] = {
        {{"--version-text", "2.0.59"}, kNotUpdatable},
        {{"--password", "other"}, "Zugang verweigert - ungültiges Passwort"},
        {{"--access", "2"}, "Zugang verweigert - ungültiges Passwort"},
        {{"--transfer-status", "0"}, "Fehler bei der Übertragung der Datei!"},
        {{"--update-code", "CODE-8"},
         "Der übertragene Updatecode ist nicht gültig" + kFailedSuffix},
        {{"--result-status", "16"},
         "Die übertragene Updatedatei ist beschädigt oder ungültig" + kFailedSuffix},
        {{"--result-status", "17"}, "Die Aktualisierung konnte nicht durchgeführt werden"},
        {{"--result-status", "18"}, kNotUpdatable + kFailedSuffix},
        {{"--result-status", "99"}, "Unbekannter Fehler" + kFailedSuffix},
        {{}, kSuccess},
    };
    UpdateFile("a.sh", 100);
    for (const Case& c : cases) {
        RecorderSimProcess sim(c.simArguments + QStringList{"--quiet"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        JobRig rig;
        ASSERT_TRUE(StartNetwork(rig, sim, "a.sh"));
        ASSERT_TRUE(rig.RunUntilIdle()) << c.message;
        EXPECT_EQ(rig.messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(rig.inputsGivenBack(), 1) << c.message;
    }
}

TEST_F(UpdateEndToEnd, ConnectFailuresAreReported) {
    UpdateFile("a.sh", 100);
    const std::uint16_t closedPort = ClosedPort();
    ASSERT_NE(closedPort, 0);
    JobRig refused;
    EXPECT_TRUE(refused.job.StartNetwork("a.sh", "admin", "C", "127.0.0.1", closedPort));
    ASSERT_TRUE(refused.RunUntilIdle());
    EXPECT_EQ(refused.messages(), std::vector<std::string>{kConnectFailed});
    EXPECT_EQ(refused.inputsGivenBack(), 1);

    // The name is looked up in the background; no address ends the attempt like a refusal.
    JobRig unknown;
    EXPECT_TRUE(unknown.job.StartNetwork("a.sh", "admin", "C", "recorder.invalid", 30000));
    ASSERT_TRUE(unknown.RunUntilIdle());
    EXPECT_EQ(unknown.messages(), std::vector<std::string>{kConnectFailed});
    EXPECT_EQ(unknown.inputsGivenBack(), 1);
}

TEST_F(UpdateEndToEnd, AbortDuringTheTransferThenAFreshStart) {
    UpdateFile("big.sh", 5000);
    const std::string small = UpdateFile("a.sh", 100);
    RecorderSimProcess sim({"--save", QString::fromStdString(SavedPath()), "--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    JobRig rig;
    ASSERT_TRUE(StartNetwork(rig, sim, "big.sh"));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.job.blocksSent() >= 3; }));
    rig.job.Close();
    EXPECT_EQ(rig.inputsGivenBack(), 1);
    EXPECT_TRUE(rig.messages().empty());

    ASSERT_TRUE(StartNetwork(rig, sim, "a.sh"));
    ASSERT_TRUE(rig.RunUntilIdle());
    EXPECT_EQ(rig.messages(), std::vector<std::string>{kSuccess});
    EXPECT_TRUE(Saved() == small);
}

// A recorder that falls silent is never taken for an answer: the job waits
// until the operator aborts, and the abort always works.
TEST_F(UpdateEndToEnd, ARecorderThatFallsSilentKeepsTheJobWaiting) {
    UpdateFile("big.sh", 50000);
    RecorderSimProcess sim({"--silent-after", "1", "--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    JobRig rig;
    ASSERT_TRUE(StartNetwork(rig, sim, "big.sh"));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.job.state() == JobState::AwaitAccess; }));
    rig.RunTicks(10);
    EXPECT_EQ(rig.job.state(), JobState::AwaitAccess);
    EXPECT_TRUE(rig.messages().empty());
    rig.job.Close();
    EXPECT_EQ(rig.job.state(), JobState::Idle);
    EXPECT_EQ(rig.inputsGivenBack(), 1);
    rig.RunTicks(2);
    EXPECT_TRUE(rig.messages().empty());
}

// A recorder or line that hangs up ends the job within a tick of the
// hang-up, in the state it was in, with its message, and once.
TEST_F(UpdateEndToEnd, AHangUpEndsTheJobWithinATick) {
    struct Case {
        QStringList simArguments;
        JobState endsIn;
    };
    const Case cases[] = {
        {{"--close-after-bytes", "10"}, JobState::AwaitVersion},
        {{"--close-after-bytes", "10", "--reset"}, JobState::AwaitVersion},
        {{"--hang-up-at", "password"}, JobState::AwaitAccess},
        {{"--close-after-bytes", "700"}, JobState::Transfer},
        {{"--close-after-bytes", "700", "--reset"}, JobState::Transfer},
        {{"--hang-up-at", "execute"}, JobState::AwaitResult},
        {{"--pty", "--hang-up-at", "file"}, JobState::Transfer},
    };
    UpdateFile("big.sh", 50000);
    for (const Case& c : cases) {
        const std::string what = c.simArguments.join(' ').toStdString();
        RecorderSimProcess sim(c.simArguments + QStringList{"--quiet", "--trace"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        JobRig rig;
        if (c.simArguments.contains("--pty")) {
            ASSERT_TRUE(rig.job.StartSerial("big.sh", "admin", "CODE-7", sim.device(), 115200));
        } else {
            ASSERT_TRUE(StartNetwork(rig, sim, "big.sh"));
        }
        ASSERT_TRUE(rig.RunUntil([&] { return sim.CutOff(); })) << what;
        const int ticksAtCutOff = rig.ticks();
        ASSERT_TRUE(rig.RunUntilIdle()) << what;
        EXPECT_LE(rig.ticks() - ticksAtCutOff, 1) << what;
        EXPECT_EQ(rig.outcomes(), std::vector<JobOutcome>{{Outcome::ConnectionLost}}) << what;
        EXPECT_EQ(rig.job.endedIn(), c.endsIn) << what;
        EXPECT_EQ(rig.messages(), std::vector<std::string>{"Verbindung zum Rekorder unterbrochen"})
            << what;
        EXPECT_EQ(rig.inputsGivenBack(), 1) << what;
    }
}

// The recorder answers the execute request and hangs up straight after:
// the answer was given, and it counts.
TEST_F(UpdateEndToEnd, AHangUpRightAfterTheResultLeavesTheSuccess) {
    UpdateFile("a.sh", 3000);
    RecorderSimProcess sim({"--hang-up-at", "result", "--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    JobRig rig;
    ASSERT_TRUE(StartNetwork(rig, sim, "a.sh"));
    ASSERT_TRUE(rig.RunUntilIdle());
    EXPECT_EQ(rig.messages(), std::vector<std::string>{kSuccess});
    EXPECT_EQ(rig.outcomes(), std::vector<JobOutcome>{{Outcome::Succeeded}});
}

}  // namespace
}  // namespace trelvo
