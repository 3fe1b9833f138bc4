// The update file's digest, and the check after an update that the new
// version shows: the real command line against simulators that restart,
// never come back, or come back with the old version.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <string>
#include <vector>

#include "cli_tool.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

// One block over the network: an update of a few ticks.
const std::string kFile(1000, 'v');
const QString kFileSha256 = "dfacc21aae3e1d2f6e8bf85ed6dfc9b80ce7d642836a2745387d2aa853799bb5";

std::vector<QJsonObject> Results(const QString& out) {
    std::vector<QJsonObject> results;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["event"] == "result") {
            results.push_back(object);
        }
    }
    return results;
}

class UpdateCheckProcess : public ::testing::Test {
protected:
    QString File() { return QString::fromStdString(scratch_.Write("update.sh", kFile)); }
    static QStringList At(const RecorderSimProcess& sim) {
        return {"-H", "127.0.0.1", "-p", QString::number(sim.port())};
    }
    ScratchDir scratch_;
};

// Another digest, or none, is refused before any connection.
TEST_F(UpdateCheckProcess, TheFileMustHaveTheDigestGiven) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const QString other(64, '0');
    const struct {
        QString digest;
        int status;
        std::vector<QString> inError;
    } cases[] = {
        {other,
         2,
         {"update.sh: the file's SHA-256 is " + kFileSha256 + ", not the expected " + other}},
        {QString(64, 'F'), 2, {kFileSha256, QString(64, 'f')}},
        {kFileSha256.left(63), 2, {"64 hexadecimal digits"}},
        {kFileSha256 + "0", 2, {"64 hexadecimal digits"}},
        {"", 2, {"64 hexadecimal digits"}},
        {kFileSha256.toUpper(), 0, {}},
    };
    int updates = 0;
    for (const auto& c : cases) {
        const CliRun run =
            RunCli(QStringList{"update", "--sha256", c.digest} + At(recorder) + QStringList{File()},
                   CliEnvironment("admin"));
        EXPECT_EQ(run.status, c.status) << c.digest.toStdString() << run.err.toStdString();
        for (const QString& text : c.inError) {
            EXPECT_TRUE(run.err.contains(text)) << run.err.toStdString();
        }
        updates += c.status == 0 ? 1 : 0;
        EXPECT_EQ(recorder.ReceivedFiles().size(), static_cast<std::size_t>(updates));
    }
}

// A recorder that restarts into the new version is verified on the attempt
// after its restart; one that never comes back, or comes back with its old
// version, fails once the time is up, and so does the run.
TEST_F(UpdateCheckProcess, TheRecorderMustReportTheExpectedVersionAfterTheUpdate) {
    const struct {
        const char* what;
        QStringList sim;
        QString verifyTimeout;
        int status;
        const char* outcome;
        QJsonValue after;
    } cases[] = {
        {"restarts",
         {"--version-after-update", "2.0.61", "--restart-seconds", "2"},
         "30",
         0,
         "verified",
         "2.0.61"},
        {"never back",
         {"--version-after-update", "2.0.61", "--restart-seconds", "60"},
         "3",
         1,
         "not-verified",
         QJsonValue::Null},
        {"old version", {"--restart-seconds", "1"}, "6", 1, "not-verified", "2.0.60"},
    };
    for (const auto& c : cases) {
        RecorderSimProcess recorder(QStringList{"--quiet"} + c.sim);
        ASSERT_TRUE(recorder.ok()) << recorder.error();
        const CliRun run = RunCli(QStringList{"update", "--json", "--expect-version", "2.0.61",
                                              "--verify-timeout", c.verifyTimeout} +
                                      At(recorder) + QStringList{File()},
                                  CliEnvironment("admin"));
        EXPECT_EQ(run.status, c.status) << c.what << run.err.toStdString();
        const std::vector<QJsonObject> results = Results(run.out);
        ASSERT_EQ(results.size(), 1u) << c.what << run.out.toStdString();
        EXPECT_EQ(results[0]["outcome"], c.outcome) << c.what;
        EXPECT_EQ(results[0]["ok"], c.status == 0) << c.what;
        EXPECT_EQ(results[0]["version"], "2.0.60") << c.what;
        EXPECT_EQ(results[0]["expected_version"], "2.0.61") << c.what;
        EXPECT_EQ(results[0]["version_after_update"], c.after) << c.what;
        EXPECT_EQ(results[0]["state"], "AwaitResult") << c.what;
        EXPECT_EQ(recorder.ReceivedFiles().size(), 1u) << c.what;
    }
}

TEST_F(UpdateCheckProcess, TheTextLineShowsTheVersionAfterTheUpdate) {
    RecorderSimProcess recorder({"--quiet", "--version-after-update", "2.0.61"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const CliRun run = RunCli(
        QStringList{"update", "--expect-version", "2.0.61"} + At(recorder) + QStringList{File()},
        CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(
        run.out.contains("127.0.0.1         ok       Update finished successfully, new "
                         "version confirmed  version 2.0.61\n"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("1 recorder: 1 ok, 0 skipped, 0 failed, 0 aborted"));
}

// Ctrl-C while the recorder is asked again ends the run at once.
TEST_F(UpdateCheckProcess, CtrlCDuringTheCheckReportsTheRecorderAborted) {
    RecorderSimProcess recorder({}, RecorderSimProcess::Lines::AndRequests);
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    auto cli = StartCli(
        QStringList{"update", "--expect-version", "2.0.61"} + At(recorder) + QStringList{File()},
        CliEnvironment("admin"));
    // The second connection's version query is the check's first attempt.
    ASSERT_TRUE(recorder.WaitForLineWith("conn 2: version query"));
    kill(static_cast<pid_t>(cli->processId()), SIGINT);
    ASSERT_TRUE(cli->waitForFinished(10000));
    EXPECT_EQ(cli->exitCode(), 1);
    const QString out = QString::fromUtf8(cli->readAllStandardOutput());
    EXPECT_TRUE(out.contains("ABORTED  during the check of the new version")) << out.toStdString();
    EXPECT_TRUE(out.contains("1 recorder: 0 ok, 0 skipped, 0 failed, 1 aborted"));
}

// Without the new options nothing of the check shows.
TEST_F(UpdateCheckProcess, WithoutTheOptionsTheResultIsAsBefore) {
    RecorderSimProcess recorder({"--quiet", "--version-after-update", "2.0.61"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const CliRun run = RunCli(QStringList{"update", "--json"} + At(recorder) + QStringList{File()},
                              CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0);
    const std::vector<QJsonObject> results = Results(run.out);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["outcome"], "succeeded");
    EXPECT_FALSE(results[0].contains("expected_version"));
    EXPECT_FALSE(results[0].contains("version_after_update"));
}

}  // namespace
}  // namespace trelvo::testing
