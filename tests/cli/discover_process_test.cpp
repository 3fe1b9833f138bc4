// Finding the recorders of a site: the real command line asks a loopback
// range in which a few simulators listen.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <utility>
#include <vector>

#include "cli_tool.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

// All of 127.0.0.0/8 is this machine: a simulator listens on a few
// addresses of 127.77.0.0/24, every other address refuses at once.
class Discover : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<QStringList> simulators = {
            {"--listen", "127.77.0.3:0"},
            {"--listen", "127.77.0.10:PORT", "--version-text", "1.9.9"},
            {"--listen", "127.77.0.200:PORT", "--version-text", "QRB 7"},
        };
        for (QStringList arguments : simulators) {
            if (!recorders_.empty()) {
                arguments.replaceInStrings("PORT", port_);
            }
            recorders_.push_back(std::make_unique<RecorderSimProcess>(arguments << "--quiet"));
            ASSERT_TRUE(recorders_.back()->ok()) << recorders_.back()->error();
            port_ = QString::number(recorders_.back()->port());
        }
    }
    void TearDown() override {
        for (const auto& recorder : recorders_) {
            EXPECT_TRUE(recorder->ReceivedFiles().empty());
        }
    }

    CliRun Run(const QStringList& arguments) {
        return RunCli(QStringList{"discover", "-p", port_} + arguments, CliEnvironment(""));
    }
    QString Path(const char* name) { return QString::fromStdString(scratch_.PathOf(name)); }

    std::vector<std::unique_ptr<RecorderSimProcess>> recorders_;
    QString port_;
    ScratchDir scratch_;
};

TEST_F(Discover, ListsExactlyTheRecordersInAddressOrder) {
    const CliRun run = Run({"127.77.0.0/24"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "127.77.0.3       accepted  2.0.60\n"
              "127.77.0.10      refused   1.9.9\n"
              "127.77.0.200     accepted  QRB 7\n");
}

TEST_F(Discover, JsonGivesOneObjectPerRecorder) {
    // Two ranges, overlapping and out of order: each address is asked once.
    const CliRun run = Run({"--json", "127.77.0.100-127.77.0.255", "127.77.0.0/25"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    std::vector<QJsonObject> found;
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts)) {
        found.push_back(QJsonDocument::fromJson(line.toUtf8()).object());
    }
    const std::vector<QJsonObject> expected = {
        {{"host", "127.77.0.3"}, {"version", "2.0.60"}, {"accepted", true}},
        {{"host", "127.77.0.10"}, {"version", "1.9.9"}, {"accepted", false}},
        {{"host", "127.77.0.200"}, {"version", "QRB 7"}, {"accepted", true}},
    };
    EXPECT_EQ(found, expected);
}

TEST_F(Discover, NoRecorderInTheRangeIsStatusOne) {
    const CliRun run = Run({"127.77.0.4-127.77.0.9", "127.77.1.0/28"});
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

TEST_F(Discover, BadRangesAndTooManyAddressesAreUsageErrors) {
    const std::pair<QString, QString> cases[] = {
        {"127.0.0.0/8", "16777216 addresses; at most 65536"},
        {"127.77.0.9-127.77.0.1", "bad range 127.77.0.9-127.77.0.1"},
        {"rec17", "bad range rec17"},
    };
    for (const auto& [range, says] : cases) {
        const CliRun run = Run({range});
        EXPECT_EQ(run.status, 2) << range.toStdString();
        EXPECT_TRUE(run.err.contains(says)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    const CliRun unwritable = Run({"--hosts-out", Path("missing/found"), "127.77.0.0/24"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_TRUE(unwritable.err.contains("cannot write")) << unwritable.err.toStdString();
}

TEST_F(Discover, HostsOutIsAHostsFileOfTheRecordersFound) {
    const QString hosts = Path("found.lmhosts");
    ASSERT_EQ(Run({"--hosts-out", hosts, "127.77.0.0/24"}).status, 0);

    const CliRun listed = RunCli({"hosts", hosts}, CliEnvironment(""));
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "127.77.0.3\n127.77.0.10\n127.77.0.200\n");

    // The same recorders, probed from that file: the refused one fails its gate.
    const CliRun probed =
        RunCli({"probe", "--json", "--timeout", "20", "-p", port_, "--hosts-file", hosts},
               CliEnvironment(""));
    EXPECT_EQ(probed.status, 1) << probed.err.toStdString();
    QStringList probedHosts;
    for (const QString& line : probed.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["event"] == "result") {
            probedHosts << object["host"].toString() + (object["ok"].toBool() ? " ok" : " failed");
        }
    }
    probedHosts.sort();
    EXPECT_EQ(probedHosts, (QStringList{"127.77.0.10 failed", "127.77.0.200 ok", "127.77.0.3 ok"}));
}

}  // namespace
}  // namespace trelvo::testing
