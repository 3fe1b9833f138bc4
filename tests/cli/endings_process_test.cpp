// How runs end when recorders hang up, stay silent or refuse connections,
// what the tool refuses before any connection, and names with umlauts from
// the hosts file to --retry-failed: the real command line against the real
// simulator.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "cli_tool.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

// One block over the network: an update that takes a few ticks.
const std::string kFile(1000, 'e');

std::vector<QJsonObject> Events(const QString& out, const char* kind) {
    std::vector<QJsonObject> events;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["event"] == kind || (!object.contains("event") && kind == QString("result"))) {
            events.push_back(object);
        }
    }
    return events;
}

class EndingsProcess : public ::testing::Test {
protected:
    QString File() { return QString::fromStdString(scratch_.Write("update.sh", kFile)); }
    QString Path(const char* name) { return QString::fromStdString(scratch_.PathOf(name)); }
    QStringList At(const RecorderSimProcess& sim) {
        return {"-H", "127.0.0.1", "-p", QString::number(sim.port())};
    }
    ScratchDir scratch_;
};

// A recorder that hangs up at any step ends its update at once with
// connection-lost, long before the 30 s time-out; one that answers the
// execute request and then hangs up has updated.
TEST_F(EndingsProcess, AHangUpAtEveryStepEndsTheUpdateAtOnce) {
    const struct {
        QStringList sim;
        const char* outcome;
        const char* state;
    } cases[] = {
        {{"--hang-up-at", "version"}, "connection-lost", "AwaitVersion"},
        {{"--hang-up-at", "password", "--reset"}, "connection-lost", "AwaitAccess"},
        {{"--hang-up-at", "descriptor"}, "connection-lost", "Transfer"},
        {{"--hang-up-at", "file", "--reset"}, "connection-lost", "Transfer"},
        {{"--close-after-bytes", "60"}, "connection-lost", "Transfer"},
        {{"--hang-up-at", "execute"}, "connection-lost", "AwaitResult"},
        {{"--hang-up-at", "result"}, "succeeded", "AwaitResult"},
    };
    const QString file = File();
    for (const auto& c : cases) {
        const std::string what = c.sim.join(' ').toStdString();
        RecorderSimProcess sim(c.sim + QStringList{"--quiet"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        const CliRun run = RunCli(QStringList{"update", "--json"} + At(sim) + QStringList{file},
                                  CliEnvironment("admin"));
        const bool succeeds = std::string(c.outcome) == "succeeded";
        EXPECT_EQ(run.status, succeeds ? 0 : 1) << what;
        const std::vector<QJsonObject> results = Events(run.out, "result");
        ASSERT_EQ(results.size(), 1u) << what;
        EXPECT_EQ(results[0]["outcome"], c.outcome) << what;
        EXPECT_EQ(results[0]["state"], c.state) << what;
        EXPECT_EQ(results[0]["message"],
                  succeeds ? "Update finished successfully" : "Connection to the recorder lost")
            << what;
        // The update takes a few ticks; a wait for the time-out would take 30 s.
        EXPECT_LT(results[0]["seconds"].toDouble(), 2.0) << what;
    }
}

// The recorder hangs up once the first file bytes are in, over TCP and
// over a serial line: the update ends there within a tick or two, most of
// the file never sent, not at the time-out.
TEST_F(EndingsProcess, AHangUpInTheMiddleOfTheTransferEndsItThere) {
    // A hundred blocks of 500 bytes: five seconds if all of them went.
    constexpr int kFileBytes = 50000;
    const QString file =
        QString::fromStdString(scratch_.Write("big.sh", std::string(kFileBytes, 'f')));
    const QStringList cases[] = {
        {"--hang-up-at", "file"},
        {"--hang-up-at", "file", "--reset"},
        {"--pty", "--hang-up-at", "file"},
    };
    for (const QStringList& c : cases) {
        const std::string what = c.join(' ').toStdString();
        // Wine's serial layer never passes a pseudo-terminal's hang-up on
        // to a write under way; the time-out ends that run instead.
        if (c.contains("--pty") && ToolRunsUnderWine()) {
            continue;
        }
        RecorderSimProcess sim(c + QStringList{"--quiet"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        const QStringList recorder =
            c.contains("--pty") ? QStringList{"--serial", QString::fromStdString(sim.device())}
                                : At(sim);
        const CliRun run = RunCli(QStringList{"update", "--json"} + recorder + QStringList{file},
                                  CliEnvironment("admin"));
        EXPECT_EQ(run.status, 1) << what << run.err.toStdString();
        const std::vector<QJsonObject> results = Events(run.out, "result");
        ASSERT_EQ(results.size(), 1u) << what;
        EXPECT_EQ(results[0]["outcome"], "connection-lost") << what;
        EXPECT_EQ(results[0]["state"], "Transfer") << what;
        EXPECT_GT(results[0]["bytes"].toInt(), 0) << what;
        EXPECT_LT(results[0]["bytes"].toInt(), kFileBytes / 2) << what;
        EXPECT_LT(results[0]["seconds"].toDouble(), 2.0) << what;
    }
}

// The recorder takes the file and never answers the execute request.
TEST_F(EndingsProcess, TheResultHasItsOwnTimeOut) {
    RecorderSimProcess sim({"--quiet", "--silent-after", "3"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const CliRun run = RunCli(
        QStringList{"update", "--json", "--result-timeout", "0.5"} + At(sim) + QStringList{File()},
        CliEnvironment("admin"));
    EXPECT_EQ(run.status, 1);
    const std::vector<QJsonObject> results = Events(run.out, "result");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["outcome"], "timed-out");
    EXPECT_EQ(results[0]["state"], "AwaitResult");
}

// The first two connections are reset as soon as they are made; the third
// attempt updates the recorder. Every attempt shows in the JSON output, and
// the result and the report count them.
TEST_F(EndingsProcess, ARecorderThatRefusesTwoConnectionsIsUpdatedOnTheThirdAttempt) {
    RecorderSimProcess sim({"--quiet", "--refuse-first", "2"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const CliRun run =
        RunCli(QStringList{"update", "--json", "--retries", "2", "--report", Path("report.json")} +
                   At(sim) + QStringList{File()},
               CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0) << run.out.toStdString();
    const std::vector<QJsonObject> retries = Events(run.out, "retry");
    ASSERT_EQ(retries.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(retries[i]["attempt"].toInt(), i + 1);
        // The reset may beat the connect's own report of success.
        const QString outcome = retries[i]["outcome"].toString();
        EXPECT_TRUE(outcome == "connection-lost" || outcome == "connect-failed")
            << outcome.toStdString();
        EXPECT_LE(retries[i]["wait_seconds"].toDouble(), i == 0 ? 1.0 : 2.0);
    }
    const std::vector<QJsonObject> states = Events(run.out, "state");
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.back()["attempt"].toInt(), 3);
    const std::vector<QJsonObject> results = Events(run.out, "result");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["outcome"], "succeeded");
    EXPECT_EQ(results[0]["attempts"].toInt(), 3);
    EXPECT_EQ(sim.ReceivedFiles().size(), 1u);
    QFile report(Path("report.json"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_EQ(QJsonDocument::fromJson(report.readLine()).object()["attempts"].toInt(), 3);
}

// After the execute request the recorder may be carrying out the update:
// a hang-up then is never retried.
TEST_F(EndingsProcess, AHangUpAfterTheExecuteRequestIsNotRetried) {
    RecorderSimProcess sim({"--quiet", "--hang-up-at", "execute"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const CliRun run =
        RunCli(QStringList{"update", "--json", "--retries", "3"} + At(sim) + QStringList{File()},
               CliEnvironment("admin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Events(run.out, "retry").empty());
    const std::vector<QJsonObject> results = Events(run.out, "result");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["outcome"], "connection-lost");
    EXPECT_EQ(results[0]["attempts"].toInt(), 1);
    EXPECT_EQ(sim.ReceivedFiles().size(), 1u);
}

// A NUL would cut the password short on the wire: refused before any
// connection, whichever way the password comes (the environment and the
// command line cannot carry one).
TEST_F(EndingsProcess, APasswordWithANulIsRefusedFromEverySource) {
    RecorderSimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const std::string withNul("geh\0eim\n", 8);
    const QString passwordFile = QString::fromStdString(scratch_.Write("password", withNul));
    const QString file = File();
    const struct {
        QStringList source;
        QByteArray input;
    } cases[] = {
        {{"--password-file", passwordFile}, {}},
        {{"--password-file", "-"}, QByteArray(withNul.data(), 8)},
    };
    for (const auto& c : cases) {
        for (const char* command : {"update", "probe"}) {
            QStringList arguments = QStringList{command} + c.source + At(sim);
            if (std::string(command) == "update") {
                arguments << file;
            }
            const CliRun run = RunCli(arguments, CliEnvironment({}), c.input);
            EXPECT_EQ(run.status, 2) << command << c.source.join(' ').toStdString();
            EXPECT_TRUE(run.err.contains("the password holds a control character"))
                << run.err.toStdString();
            EXPECT_EQ(run.out, "");
        }
    }
    EXPECT_TRUE(sim.ReceivedFiles().empty());
}

// A hosts file written on the recorders' side holds Windows-1252: the name
// reads as written everywhere, and a report gives back its very bytes.
TEST_F(EndingsProcess, ANameWithUmlautsFromHostsToRetryFailed) {
    const QString hosts =
        QString::fromStdString(scratch_.Write("lmhosts", "192.0.2.1 B\xfcro-Rek\n"));
    const CliRun listed = RunCli({"hosts", hosts}, CliEnvironment({}));
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "Büro-Rek\n");

    // No such host: the run fails, and the report says who.
    const QString file = File();
    const CliRun first = RunCli({"update", "--json", "--timeout", "5", "--hosts-file", hosts,
                                 "--report", Path("report.json"), file},
                                CliEnvironment("admin"));
    EXPECT_EQ(first.status, 1);
    const std::vector<QJsonObject> results = Events(first.out, "result");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["host"], "Büro-Rek");
    QFile report(Path("report.json"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray reported = report.readAll();
    EXPECT_TRUE(reported.contains("\"host\":\"B\xc3\xbcro-Rek\"")) << reported.toStdString();

    const CliRun retry =
        RunCli({"update", "--json", "--timeout", "5", "--retry-failed", Path("report.json"), file},
               CliEnvironment("admin"));
    EXPECT_EQ(retry.status, 1);
    const std::vector<QJsonObject> retried = Events(retry.out, "result");
    ASSERT_EQ(retried.size(), 1u);
    EXPECT_EQ(retried[0]["host"], "Büro-Rek");
    // The text output shows it so too, and the same name typed with -H is the same recorder.
    const CliRun typed =
        RunCli({"update", "--timeout", "5", "-H", "Büro-Rek", file}, CliEnvironment("admin"));
    EXPECT_TRUE(typed.out.startsWith("Büro-Rek ")) << typed.out.toStdString();
}

}  // namespace
}  // namespace trelvo::testing
