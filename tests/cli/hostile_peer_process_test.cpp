// Peers and inputs that would hold the tool or mislead it: a device that
// keeps talking without ever answering, a version text without end and with
// a terminal's control characters, names that would be cut short, files that
// are no hosts file, and a report that could not be written. The real
// command line against the real simulator.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCryptographicHash>
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

QJsonObject OnlyResult(const QString& out) {
    QJsonObject result;
    int count = 0;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object["event"] == "result" || !object.contains("event")) {
            result = object;
            ++count;
        }
    }
    EXPECT_EQ(count, 1) << out.toStdString();
    return result;
}

class HostilePeer : public ::testing::Test {
protected:
    QString Write(const char* name, const std::string& content) {
        return QString::fromStdString(scratch_.Write(name, content));
    }
    QString Path(const char* name) { return QString::fromStdString(scratch_.PathOf(name)); }
    static QStringList At(const RecorderSimProcess& sim) {
        return {"-H", "127.0.0.1", "-p", QString::number(sim.port())};
    }
    ScratchDir scratch_;
};

// A zero byte every 300 ms, over TCP and a serial line: the version's reply
// is due 2 s after its request and the probe ends then, timed out.
TEST_F(HostilePeer, ADeviceThatKeepsTalkingTimesOutWhenItsReplyIsDue) {
    for (const bool serial : {false, true}) {
        RecorderSimProcess sim(serial ? QStringList{"--pty", "--babble-ms", "300", "--quiet"}
                                      : QStringList{"--babble-ms", "300", "--quiet"});
        ASSERT_TRUE(sim.ok()) << sim.error();
        const QStringList recorder =
            serial ? QStringList{"--serial", QString::fromStdString(sim.device())} : At(sim);
        const CliRun run =
            RunCli(QStringList{"probe", "--json", "--timeout", "2"} + recorder, CliEnvironment(""));
        EXPECT_EQ(run.status, 1) << serial << run.err.toStdString();
        const QJsonObject result = OnlyResult(run.out);
        EXPECT_EQ(result["outcome"], "timed-out") << serial;
        EXPECT_EQ(result["version"], QJsonValue()) << serial;
        // It waited for the time-out, and not for the next one after it.
        EXPECT_GE(result["seconds"].toDouble(), 1.9) << serial;
        EXPECT_LT(result["seconds"].toDouble(), 4.0) << serial;
    }
}

// One such device in a swept range no longer keeps discover from finishing.
TEST_F(HostilePeer, DiscoverFinishesWithATalkerInTheRange) {
    RecorderSimProcess talker({"--listen", "127.78.0.5:0", "--babble-ms", "200", "--quiet"});
    ASSERT_TRUE(talker.ok()) << talker.error();
    const CliRun run = RunCli(
        {"discover", "--timeout", "1", "-p", QString::number(talker.port()), "127.78.0.0/29"},
        CliEnvironment(""));
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_EQ(run.out, "");
}

// A version of a million bytes (near the largest reply) that opens with the bytes Windows-1252
// leaves unassigned and a terminal's OSC: every output keeps 256 characters of it, the last one
// marking the cut, and escapes every control character.
TEST_F(HostilePeer, AVersionWithoutEndIsCutAndEscapedInEveryOutput) {
    RecorderSimProcess sim({"--version-text", "Q\u0081R\u009d\x1b]0;pwned\x07", "--version-pad-to",
                            "1000000", "--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const QString report = Path("report.json");
    const QString hosts = Path("found.lmhosts");
    const CliRun text = RunCli(QStringList{"probe"} + At(sim), CliEnvironment(""));
    // The version gate refuses it; the report still tells what it was.
    const CliRun json = RunCli(QStringList{"update", "--json", "--report", report} + At(sim) +
                                   QStringList{Write("update.sh", "u")},
                               CliEnvironment("admin"));
    const CliRun found =
        RunCli({"discover", "--hosts-out", hosts, "-p", QString::number(sim.port()), "127.0.0.1"},
               CliEnvironment(""));
    QFile reportFile(report);
    QFile hostsFile(hosts);
    ASSERT_TRUE(reportFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(hostsFile.open(QIODevice::ReadOnly));
    const struct {
        const char* what;
        QByteArray bytes;
        const char* escaped;
    } outputs[] = {
        {"text", text.out.toUtf8(), "Q\\xc2\\x81R\\xc2\\x9d\\x1b]0;pwned\\x07x"},
        {"json", json.out.toUtf8(), "Q\\u0081R\\u009d\\u001b]0;pwned\\u0007x"},
        {"report", reportFile.readAll(), "Q\\u0081R\\u009d\\u001b]0;pwned\\u0007x"},
        {"discover", found.out.toUtf8(), "Q\\xc2\\x81R\\xc2\\x9d\\x1b]0;pwned\\x07x"},
        // Windows-1252, as hosts files are.
        {"hosts-out", hostsFile.readAll(), "Q\\xc2\\x81R\\xc2\\x9d\\x1b]0;pwned\\x07x"},
    };
    for (const auto& output : outputs) {
        EXPECT_TRUE(output.bytes.contains(output.escaped))
            << output.what << ": " << output.bytes.left(300).toStdString();
        EXPECT_LT(output.bytes.size(), 1500) << output.what;
        // Of the 256 characters, 14 are the text, 241 padding, the last the mark.
        EXPECT_TRUE(output.bytes.contains(
            QByteArray(241, 'x') + (output.what == std::string("hosts-out") ? "\x85" : "\u2026")))
            << output.what;
        EXPECT_FALSE(output.bytes.contains(QByteArray(242, 'x'))) << output.what;
        for (const char control : {'\x1b', '\x07'}) {
            EXPECT_FALSE(output.bytes.contains(control)) << output.what;
        }
        EXPECT_FALSE(output.bytes.contains("\xc2\x81")) << output.what;
    }
}

// Names that the resolver would read only up to a NUL, or that no recorder
// carries, are refused before any connection, wherever they come in.
TEST_F(HostilePeer, NamesThatWouldBeCutShortAreRefused) {
    RecorderSimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const QString port = QString::number(sim.port());
    const QString file = Write("update.sh", std::string(1000, 'u'));
    const QString nulHosts =
        Write("with-nul.lmhosts", std::string("1.2.3.4 \"127.0.0.1\0junk\"\n", 25));
    // One name of ten million bytes.
    std::string longLine = "1.2.3.4 ";
    longLine.resize(10'000'000, 'a');
    const QString longHosts = Write("long.lmhosts", longLine + "\n");
    const QString sha256 =
        QCryptographicHash::hash(QByteArray(1000, 'u'), QCryptographicHash::Sha256).toHex();
    const QString nulReport =
        Write("nul-report.json",
              (R"({"host":"127.0.0.1\u0000junk","recorder":0,"serial":false,"ok":false,)"
               R"("outcome":"timed-out","sha256":")" +
               sha256 + "\"}\n")
                  .toStdString());
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"update", "-p", port, "--hosts-file", nulHosts, file}, "holds a control character"},
        {{"hosts", nulHosts}, "holds a control character"},
        {{"update", "-p", port, "--hosts-file", longHosts, file}, "longer than 255 bytes"},
        {{"update", "-p", port, "-H", QString(300, 'a'), file}, "longer than 255 bytes"},
        {{"update", "-p", port, "--retry-failed", nulReport, file}, "holds a control character"},
    };
    for (const auto& c : cases) {
        const std::string what = c.arguments.join(' ').left(120).toStdString();
        const CliRun run = RunCli(c.arguments, CliEnvironment("admin"));
        EXPECT_EQ(run.status, 2) << what;
        EXPECT_TRUE(run.err.contains(c.message)) << what << ": " << run.err.left(300).toStdString();
        EXPECT_LT(run.err.size(), 400) << what;
        EXPECT_EQ(run.out, "") << what;
    }
    EXPECT_TRUE(sim.ReceivedFiles().empty());
}

// A device or an endless pipe named as the hosts file stops at the reader's
// limit instead of filling memory.
TEST_F(HostilePeer, AnEndlessHostsFileStopsAtTheLimit) {
    const QString file = Write("update.sh", std::string(1000, 'u'));
    for (const QStringList& arguments :
         {QStringList{"hosts", "/dev/zero"},
          QStringList{"update", "--hosts-file", "/dev/zero", file}}) {
        const CliRun run = RunCli(arguments, CliEnvironment("admin"));
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("larger than 16 MiB")) << run.err.toStdString();
    }
}

// What can be checked before the first connection is: a report that cannot
// be written and an update file that is none end the run at once.
TEST_F(HostilePeer, WhatWillNotDoIsRefusedBeforeAnyConnection) {
    RecorderSimProcess sim({"--quiet"});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const QString file = Write("update.sh", std::string(1000, 'u'));
    const QString fifo = Path("pipe.sh");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString folder = QString::fromStdString(scratch_.path().string());
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {
        {{"update", "--report", Path("no-such-folder/report.json"), file},
         "cannot write the report"},
        {{"update", "--report", file + "/report.json", file}, "cannot write the report"},
        {{"discover", "--hosts-out", Path("no-such-folder/found"), "127.0.0.1"}, "cannot write"},
        {{"update", folder}, "File not found (it is a folder)"},
        {{"update", fifo}, "File not found (it is a pipe or a socket, not a file)"},
        {{"update", "/dev/null"}, "File not found (it is a device, not a file)"},
        {{"update", Path("missing.sh")}, "File not found (there is no such file)"},
    };
    for (const auto& c : cases) {
        const std::string what = c.arguments.join(' ').toStdString();
        const CliRun run = RunCli(c.arguments + At(sim).mid(c.arguments[0] == "discover" ? 2 : 0),
                                  CliEnvironment("admin"));
        EXPECT_EQ(run.status, 2) << what;
        EXPECT_TRUE(run.err.contains(c.message)) << what << ": " << run.err.toStdString();
        EXPECT_EQ(run.out, "") << what;
    }
    // The simulator was never asked: a connection would have shown a version query.
    EXPECT_TRUE(sim.ReceivedFiles().empty());
}

}  // namespace
}  // namespace trelvo::testing
