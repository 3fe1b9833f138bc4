// The real trelvo-cli against the real recorder simulator.
#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

#include "cli_tool.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

// One block over the network: two ticks.
const std::string kSmallFile(1000, 'u');
// A hundred blocks, about five seconds: long enough to interrupt.
const std::string kPacedFile(200000, 'p');

std::vector<QJsonObject> JsonLines(const QString& out) {
    std::vector<QJsonObject> lines;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        lines.push_back(document.object());
    }
    return lines;
}

std::vector<QJsonObject> Results(const std::vector<QJsonObject>& lines) {
    std::vector<QJsonObject> results;
    for (const QJsonObject& line : lines) {
        if (line["event"] == "result") {
            results.push_back(line);
        }
    }
    return results;
}

// One recorder's progress events never go back, and the last one before its
// result says 100.
void ExpectProgressClimbsTo100(const std::vector<QJsonObject>& lines, int recorder) {
    int last = -1;
    for (const QJsonObject& line : lines) {
        if (line["recorder"].toInt() != recorder) {
            continue;
        }
        if (line["event"] == "progress") {
            const int percent = line["percent"].toInt();
            EXPECT_GE(percent, last) << "progress went back";
            EXPECT_LE(percent, 100);
            last = percent;
        } else if (line["event"] == "result") {
            EXPECT_EQ(last, 100) << "the result came before progress reached 100";
            return;
        }
    }
    ADD_FAILURE() << "no result for recorder " << recorder;
}

class CliProcess : public ::testing::Test {
protected:
    QString File(const std::string& content) {
        return QString::fromStdString(scratch_.Write("update.sh", content));
    }
    ScratchDir scratch_;
};

TEST_F(CliProcess, UpdatesOneRecorder) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const CliRun run = RunCli({"update", "-H", "127.0.0.1", "-p", QString::number(recorder.port()),
                               "-c", "42", File(kSmallFile)},
                              CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");  // nothing from the tool, nor a warning from Qt
    EXPECT_TRUE(run.out.endsWith(
        "ok       Update finished successfully\n"
        "1 recorder: 1 ok, 0 skipped, 0 failed, 0 aborted  "
        "sha256=501946cfb9bcf01fdf59c55fb014b8e609885d16d9796e535b746da55839352c\n"))
        << run.out.toStdString();
}

TEST_F(CliProcess, MessagesAreTheJobsOwnInTheSystemLanguage) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    QProcessEnvironment environment = CliEnvironment("admin");
    environment.insert("LC_ALL", "de_DE.UTF-8");
    const CliRun run = RunCli(
        {"update", "-H", "127.0.0.1", "-p", QString::number(recorder.port()), File(kSmallFile)},
        environment);
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains("Aktualisierung erfolgreich beendet")) << run.out.toStdString();
}

// The second address has a recorder that expects another password on the same port.
TEST_F(CliProcess, OneFailingRecorderLeavesTheOthersUpdated) {
    RecorderSimProcess good({"--quiet"});
    ASSERT_TRUE(good.ok()) << good.error();
    const QString port = QString::number(good.port());
    RecorderSimProcess strict({"--quiet", "--listen", "127.0.0.2:" + port, "--password", "other"});
    ASSERT_TRUE(strict.ok()) << strict.error();
    const CliRun run = RunCli({"update", "--json", "-j", "2", "-H", "127.0.0.1", "-H", "127.0.0.2",
                               "-H", "127.0.0.1", "-p", port, File(kSmallFile)},
                              CliEnvironment("admin"));
    EXPECT_EQ(run.status, 1);
    const std::vector<QJsonObject> results = Results(JsonLines(run.out));
    ASSERT_EQ(results.size(), 3u);
    for (const QJsonObject& result : results) {
        const bool strictOne = result["host"] == "127.0.0.2";
        EXPECT_EQ(result["ok"].toBool(), !strictOne);
        EXPECT_EQ(result["message"],
                  strictOne ? "Access denied - invalid password" : "Update finished successfully");
        EXPECT_EQ(result["state"], strictOne ? "AwaitAccess" : "AwaitResult");
    }
}

TEST_F(CliProcess, JsonReportsStatesProgressAndOneResult) {
    // Late replies keep the job in Transfer for some ticks after its last
    // step, when the job itself reports 0 again.
    RecorderSimProcess recorder({"--quiet", "--password", "Geheim-3141", "--delay-ms", "200"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    scratch_.Write("password", "Geheim-3141\nnot this line\n");
    const CliRun run = RunCli(
        {"update", "--json", "-H", "127.0.0.1", "-p", QString::number(recorder.port()),
         "--password-file", QString::fromStdString(scratch_.PathOf("password")), File(kSmallFile)},
        CliEnvironment({}));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_FALSE((run.out + run.err).contains("Geheim"));
    const std::vector<QJsonObject> lines = JsonLines(run.out);
    ASSERT_FALSE(lines.empty());
    bool sawTransfer = false;
    for (const QJsonObject& line : lines) {
        EXPECT_EQ(line["host"], "127.0.0.1");
        EXPECT_EQ(line["recorder"], 0);
        sawTransfer = sawTransfer || line["state"] == "Transfer";
    }
    EXPECT_TRUE(sawTransfer);
    ExpectProgressClimbsTo100(lines, 0);
    const QJsonObject& result = lines.back();
    EXPECT_EQ(result["event"], "result");
    EXPECT_EQ(result["ok"], true);
    EXPECT_EQ(result["aborted"], false);
    EXPECT_EQ(result["state"], "AwaitResult");
    EXPECT_EQ(result["message"], "Update finished successfully");
    EXPECT_GT(result["seconds"].toDouble(), 0);
}

TEST_F(CliProcess, UpdatesOverASerialLine) {
    RecorderSimProcess recorder({"--quiet", "--pty"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const QString device = QString::fromStdString(recorder.device());
    const CliRun run =
        RunCli({"update", "--json", "--serial", device, "--password-file", "-", File(kSmallFile)},
               CliEnvironment({}), "admin\n");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const std::vector<QJsonObject> lines = JsonLines(run.out);
    ExpectProgressClimbsTo100(lines, 0);
    const std::vector<QJsonObject> results = Results(lines);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["host"], ToolPath(device));
    EXPECT_EQ(results[0]["message"], "Update finished successfully");
}

TEST_F(CliProcess, GivesUpOnASilentRecorder) {
    RecorderSimProcess silent({"--quiet", "--silent-after", "0"});
    ASSERT_TRUE(silent.ok()) << silent.error();
    const CliRun run = RunCli({"update", "--json", "--timeout", "0.3", "-H", "127.0.0.1", "-p",
                               QString::number(silent.port()), File(kSmallFile)},
                              CliEnvironment("admin"));
    EXPECT_EQ(run.status, 1);
    const std::vector<QJsonObject> results = Results(JsonLines(run.out));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["message"], "Timeout - recorder does not answer");
    EXPECT_EQ(results[0]["state"], "AwaitVersion");
}

// A serial recorder that takes 4 KiB of the file and then nothing more, as
// one holding CTS off: Ctrl-C still ends the run, and so does the time-out.
TEST_F(CliProcess, AStuckSerialLineNeverHoldsTheToolHostage) {
    for (const bool interrupt : {true, false}) {
        RecorderSimProcess recorder({"--quiet", "--pty", "--stop-reading-after", "4096"});
        ASSERT_TRUE(recorder.ok()) << recorder.error();
        QStringList arguments{"update", "--json", "--serial",
                              QString::fromStdString(recorder.device()), File(kPacedFile)};
        if (!interrupt) {
            arguments.insert(1, "--timeout");
            arguments.insert(2, "2");
        }
        auto cli = StartCli(arguments, CliEnvironment("admin"));
        QString out;
        ASSERT_TRUE(ReadUntil(*cli, "\"state\":\"Transfer\"", out));
        if (interrupt) {
            kill(static_cast<pid_t>(cli->processId()), SIGINT);
        }
        // A write blocked in the kernel would keep it from ever finishing.
        ASSERT_TRUE(cli->waitForFinished(30000));
        EXPECT_EQ(cli->exitCode(), 1);
        out += QString::fromUtf8(cli->readAllStandardOutput());
        const std::vector<QJsonObject> results = Results(JsonLines(out));
        ASSERT_EQ(results.size(), 1u);
        EXPECT_EQ(results[0]["outcome"], interrupt ? "aborted" : "timed-out");
        EXPECT_EQ(results[0]["state"], "Transfer");
    }
}

TEST_F(CliProcess, InterruptAbortsEveryRecorderAndSaysSo) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    auto cli = StartCli({"update", "--json", "-j", "2", "-H", "127.0.0.1", "-H", "127.0.0.1", "-H",
                         "127.0.0.1", "-p", QString::number(recorder.port()), File(kPacedFile)},
                        CliEnvironment("admin"));
    QString out;
    ASSERT_TRUE(ReadUntil(*cli, "\"percent\":2,", out));
    kill(static_cast<pid_t>(cli->processId()), SIGINT);
    ASSERT_TRUE(cli->waitForFinished(30000));
    EXPECT_EQ(cli->exitCode(), 1);
    out += QString::fromUtf8(cli->readAllStandardOutput());
    const std::vector<QJsonObject> results = Results(JsonLines(out));
    ASSERT_EQ(results.size(), 3u);
    for (const QJsonObject& result : results) {
        EXPECT_EQ(result["ok"], false);
        EXPECT_EQ(result["aborted"], true);
        EXPECT_EQ(result["message"], "");
    }
    EXPECT_EQ(results[0]["state"], "Transfer");
    EXPECT_EQ(results[2]["state"], "Idle");  // never started
}

TEST_F(CliProcess, HostsListsTheNamesTheWindowWouldOffer) {
    const std::string hosts = scratch_.Write(
        "lmhosts", "# office\n10.0.0.1 rec-a #PRE\n10.0.0.2 \"\"\n10.0.0.3 \"rec b\"\n");
    const CliRun run = RunCli({"hosts", QString::fromStdString(hosts)}, CliEnvironment({}));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "rec-a\n\nrec b\n");
    EXPECT_EQ(RunCli({"hosts", QString::fromStdString(scratch_.PathOf("none"))}, CliEnvironment({}))
                  .status,
              2);
}

TEST_F(CliProcess, HostsFileNamesTheRecordersEmptyNamesSkipped) {
    RecorderSimProcess recorder({"--quiet"});
    ASSERT_TRUE(recorder.ok()) << recorder.error();
    const std::string hosts = scratch_.Write("lmhosts", "x 127.0.0.1\nx \"\"\nx 127.0.0.1\n");
    const CliRun run = RunCli({"update", "--json", "--hosts-file", QString::fromStdString(hosts),
                               "-p", QString::number(recorder.port()), File(kSmallFile)},
                              CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Results(JsonLines(run.out)).size(), 2u);
}

// Problems found before any connection: status 2, a message, no output.
TEST_F(CliProcess, LocalProblemsEndWithStatusTwo) {
    const QString file = File(kSmallFile);
    const QString empty = QString::fromStdString(scratch_.Write("empty.sh", ""));
    const QString missing = QString::fromStdString(scratch_.PathOf("missing.sh"));
    const QString folder = QString::fromStdString(scratch_.path().string());
    struct Case {
        QStringList arguments;
        QString password;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{}, "admin", "name a command"},
        {{"install", file}, "admin", "unknown command"},
        {{"update", "-H", "h"}, "admin", "exactly one FILE"},
        {{"update", file}, "admin", "at least one recorder"},
        {{"update", "-H", " ", file}, "admin", "not a blank"},
        {{"update", "-H", "h", "--bogus", file}, "admin", "unknown option --bogus"},
        {{"update", "-H", "h", "-p", "0", file}, "admin", "--port"},
        {{"update", "-H", "h", "-j", "0", file}, "admin", "--parallel"},
        {{"update", "-H", "h", "--timeout", "-1", file}, "admin", "--timeout"},
        {{"update", "-H", "h", "--serial", "COM1", file}, "admin", "--serial"},
        {{"hosts", "--json"}, "admin", "belongs to update"},
        {{"update", "-H", "h", missing}, "admin", "File not found"},
        {{"update", "-H", "h", folder}, "admin", "File not found"},
        {{"update", "-H", "h", empty}, "admin", "File has no content"},
        {{"update", "-H", "h", "--hosts-file", missing, file}, "admin", "hosts file"},
        {{"update", "-H", "h", file}, "", "no password"},
        {{"update", "-H", "h", "--password-file", empty, file}, "", "has no password"},
        {{"update", "-H", "h", "--password-file", missing, file}, "", "password file"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.arguments, CliEnvironment(c.password));
        EXPECT_EQ(run.status, 2) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
}  // namespace trelvo::testing
