// Checking a fleet before the maintenance window, leaving current recorders
// alone, and picking up where a failed run left off: the real command line
// against real simulators.
#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <string>
#include <utility>
#include <vector>

#include "cli_tool.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

const std::string kSmallFile(1000, 'u');

std::vector<QJsonObject> Results(const QString& out) {
    std::vector<QJsonObject> results;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["event"] == "result" || !object.contains("event")) {
            results.push_back(object);
        }
    }
    return results;
}

class FleetOps : public ::testing::Test {
protected:
    QString Path(const char* name) { return QString::fromStdString(scratch_.PathOf(name)); }
    QString File() { return QString::fromStdString(scratch_.Write("update.sh", kSmallFile)); }
    QString ReadReport() {
        QFile report(Path("report.json"));
        return report.open(QIODevice::ReadOnly) ? QString::fromUtf8(report.readAll()) : QString();
    }
    ScratchDir scratch_;
};

TEST_F(FleetOps, ProbeReportsVersionAndGatesAndSendsNoFile) {
    struct Case {
        const char* what;
        QStringList simulator;
        QString password;
        int status;
        QJsonValue version, accepted, access;
    };
    const Case cases[] = {
        {"good", {}, "admin", 0, "2.0.60", true, true},
        {"wrong password", {"--password", "other"}, "admin", 1, "2.0.60", true, false},
        {"too old", {"--version-text", "1.9.9"}, "admin", 1, "1.9.9", false, QJsonValue()},
        {"no password", {}, "", 0, "2.0.60", true, QJsonValue()},
        {"serial", {"--pty", "--version-number", "20071"}, "admin", 0, "20071", true, true},
    };
    for (const Case& c : cases) {
        RecorderSimProcess recorder(QStringList{"--quiet"} + c.simulator);
        ASSERT_TRUE(recorder.ok()) << recorder.error();
        const QStringList where =
            recorder.device().empty()
                ? QStringList{"-H", "127.0.0.1", "-p", QString::number(recorder.port())}
                : QStringList{"--serial", QString::fromStdString(recorder.device())};
        const CliRun run = RunCli(QStringList{"probe", "--json", "--timeout", "20"} + where,
                                  CliEnvironment(c.password));
        EXPECT_EQ(run.status, c.status) << c.what << run.err.toStdString();
        const std::vector<QJsonObject> results = Results(run.out);
        ASSERT_EQ(results.size(), 1u) << c.what;
        EXPECT_EQ(results[0]["ok"], c.status == 0) << c.what;
        EXPECT_EQ(results[0]["version"], c.version) << c.what;
        EXPECT_EQ(results[0]["accepted"], c.accepted) << c.what;
        EXPECT_EQ(results[0]["access"], c.access) << c.what;
        EXPECT_TRUE(recorder.ReceivedFiles().empty()) << c.what;
    }
}

TEST_F(FleetOps, ARecorderOnTheVersionToSkipIsLeftAlone) {
    RecorderSimProcess recorder({"--quiet", "--version-text", "2.0.61"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const CliRun run =
        RunCli({"update", "--json", "-H", "127.0.0.1", "-p", QString::number(recorder.port()),
                "--skip-version", "2.0.60", "--skip-version", "2.0.61", File()},
               CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const std::vector<QJsonObject> results = Results(run.out);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["skipped"], true);
    EXPECT_EQ(results[0]["ok"], true);
    EXPECT_EQ(results[0]["bytes"], 0);
    // A probe stops at the same place and says so.
    const CliRun probe = RunCli({"probe", "--json", "-H", "127.0.0.1", "-p",
                                 QString::number(recorder.port()), "--skip-version", "2.0.61"},
                                CliEnvironment("admin"));
    EXPECT_EQ(probe.status, 0);
    ASSERT_EQ(Results(probe.out).size(), 1u);
    EXPECT_EQ(Results(probe.out)[0]["outcome"], "skipped");
    EXPECT_TRUE(recorder.ReceivedFiles().empty());
}

// The report names who still needs the update; the retry takes exactly those.
TEST_F(FleetOps, ReportAndRetryTakeExactlyTheRecordersThatFailed) {
    RecorderSimProcess good({"--quiet"});
    ASSERT_TRUE(good.ok()) << good.error();
    const QString port = QString::number(good.port());
    RecorderSimProcess strict({"--quiet", "--listen", "127.0.0.2:" + port, "--password", "other"});
    ASSERT_TRUE(strict.ok()) << strict.error();
    const QString file = File();
    const CliRun first = RunCli({"update", "-H", "127.0.0.1", "-H", "127.0.0.2", "-p", port,
                                 "--report", Path("report.json"), file},
                                CliEnvironment("admin"));
    EXPECT_EQ(first.status, 1);
    const std::vector<QJsonObject> report = Results(ReadReport());
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0]["ok"], true);
    EXPECT_EQ(report[1]["outcome"], "access-denied");
    EXPECT_EQ(report[0]["sha256"],
              "501946cfb9bcf01fdf59c55fb014b8e609885d16d9796e535b746da55839352c");

    const CliRun retry = RunCli({"update", "--json", "-p", port, "--retry-failed",
                                 Path("report.json"), "--password-file", "-", file},
                                CliEnvironment({}), "other\n");
    EXPECT_EQ(retry.status, 0) << retry.err.toStdString();
    const std::vector<QJsonObject> retried = Results(retry.out);
    ASSERT_EQ(retried.size(), 1u);
    EXPECT_EQ(retried[0]["host"], "127.0.0.2");
    EXPECT_EQ(good.ReceivedFiles().size(), 1u);
    EXPECT_EQ(strict.ReceivedFiles().size(), 1u);
}

TEST_F(FleetOps, CtrlCStillWritesTheWholeReport) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const QString paced =
        QString::fromStdString(scratch_.Write("paced.sh", std::string(200000, 'p')));
    auto cli = StartCli({"update", "--json", "-H", "127.0.0.1", "-H", "127.0.0.1", "-j", "1", "-p",
                         QString::number(recorder.port()), "--report", Path("report.json"), paced},
                        CliEnvironment("admin"));
    QString out;
    ASSERT_TRUE(ReadUntil(*cli, "\"percent\":2,", out));
    kill(static_cast<pid_t>(cli->processId()), SIGINT);
    ASSERT_TRUE(cli->waitForFinished(30000));
    const std::vector<QJsonObject> report = Results(ReadReport());
    ASSERT_EQ(report.size(), 2u);
    for (const QJsonObject& entry : report) {
        EXPECT_EQ(entry["outcome"], "aborted");
    }
}

// The recorder holds its texts in Windows-1252; so does the tool when it sends them.
TEST_F(FleetOps, UmlautsAndTheEuroSignReachTheRecorderAsTheWindowSendsThem) {
    RecorderSimProcess recorder(
        {"--quiet", "--password", "p\xc3\xa4sswort", "--update-code", "5\xe2\x82\xac"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const QString port = QString::number(recorder.port());
    const CliRun run = RunCli({"update", "-H", "127.0.0.1", "-p", port, "-c", "5€", File()},
                              CliEnvironment("pässwort"));
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    // A character the recorders cannot read is refused before any connection.
    for (const auto& [password, code] : {std::pair{"☃", "5€"}, std::pair{"pässwort", "☃"}}) {
        const CliRun refused = RunCli({"update", "-H", "127.0.0.1", "-p", port, "-c", code, File()},
                                      CliEnvironment(password));
        EXPECT_EQ(refused.status, 2);
        EXPECT_TRUE(refused.err.contains("Windows-1252")) << refused.err.toStdString();
    }
    EXPECT_EQ(recorder.ReceivedFiles().size(), 1u);
}

TEST_F(FleetOps, AReportThatWillNotDoEndsWithStatusTwo) {
    const QString file = File();
    scratch_.Write("text.json", "not json\n");
    scratch_.Write("other.json",
                   "{\"host\":\"h\",\"ok\":false,\"serial\":false,\"sha256\":\"00\"}\n");
    struct Case {
        const char* report;
        const char* message;
    };
    const Case cases[] = {
        {"missing.json", "cannot read the report"},
        {"text.json", "is no recorder of a report"},
        {"other.json", "of another update file"},
    };
    for (const Case& c : cases) {
        const CliRun run =
            RunCli({"update", "--retry-failed", Path(c.report), file}, CliEnvironment("admin"));
        EXPECT_EQ(run.status, 2) << c.report;
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
    }
}

}  // namespace
}  // namespace trelvo::testing
