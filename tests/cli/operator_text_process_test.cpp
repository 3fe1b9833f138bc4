// Every way a text reaches the command line keeps the one rule for operator
// texts: the options and files that carry a password, an update code, a
// recorder's name or the update file's name refuse what breaks it, before
// any connection; and the file's name reaches the recorder in Windows-1252.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <string>

#include "cli_tool.h"
#include "digest/sha256.h"
#include "operator_text_cases.h"
#include "recorder_sim_process.h"
#include "scratch_dir.h"

namespace trelvo::testing {
namespace {

const std::string kFile(1000, 'f');

QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

class OperatorTextProcess : public ::testing::Test {
protected:
    OperatorTextProcess() : sim_({}, RecorderSimProcess::Lines::AndRequests) {}

    QString Write(const std::string& name, const std::string& content) {
        return QString::fromStdString(scratch_.Write(name, content));
    }
    QStringList At() const { return {"-p", QString::number(sim_.port())}; }
    // Refused with status 2 and the rule's reason, and nothing reached the
    // recorder.
    void ExpectRefused(const QStringList& arguments, TextRefusal refusal, const QByteArray& input,
                       const char* entry) {
        const CliRun run = RunCli(arguments, CliEnvironment("admin"), input);
        EXPECT_EQ(run.status, 2) << entry;
        EXPECT_TRUE(run.err.contains(Text(std::string(TextRefusalText(refusal)))))
            << entry << ": " << run.err.toStdString();
        EXPECT_EQ(run.out, "") << entry;
    }

    ScratchDir scratch_;
    RecorderSimProcess sim_;
};

TEST_F(OperatorTextProcess, EveryEntryPointRefusesWhatTheRuleRefuses) {
    ASSERT_TRUE(sim_.ok()) << sim_.error();
    const QString file = Write("update.sh", kFile);
    const std::string sha256 = *FileSha256(file.toStdString());
    int tried = 0;
    for (const OperatorTextCase& c : OperatorTextCases()) {
        SCOPED_TRACE(c.what);
        // An argument cannot hold a NUL, nor bytes that are not UTF-8.
        const bool inArguments =
            c.refusal != TextRefusal::NotUtf8 && c.utf8.find('\0') == std::string::npos;
        if (c.refusal != TextRefusal::None && inArguments) {
            const QString text = Text(c.utf8);
            ExpectRefused(QStringList{"update", "-H", text} + At() << file, c.refusal, {}, "-H");
            ExpectRefused(QStringList{"update", "--code", text, "-H", "127.0.0.1"} + At() << file,
                          c.refusal, {}, "--code");
            // A line feed ends the password's line, which is then all it holds.
            if (c.utf8.find('\n') == std::string::npos) {
                ExpectRefused(
                    QStringList{"update", "--password-file", "-", "-H", "127.0.0.1"} + At() << file,
                    c.refusal, QByteArray::fromStdString(c.utf8 + "\n"), "--password-file");
                const QString named = Write(c.utf8 + ".sh", kFile);
                ExpectRefused(QStringList{"update", "-H", "127.0.0.1"} + At() << named, c.refusal,
                              {}, "update file name");
            }
            const QJsonObject entry{{"host", text},
                                    {"ok", false},
                                    {"serial", false},
                                    {"sha256", QString::fromStdString(sha256)}};
            const QString report = Write(
                "report.json", QJsonDocument(entry).toJson(QJsonDocument::Compact).toStdString());
            ExpectRefused(QStringList{"update", "--retry-failed", report} + At() << file, c.refusal,
                          {}, "--retry-failed");
            ++tried;
        }
        if (c.bytes && c.bytesRefusal != TextRefusal::None) {
            // Quoted, so a blank, tab or line feed stays inside the name.
            const QString hosts = Write("lmhosts", "1.2.3.4 \"" + *c.bytes + "\"\n");
            ExpectRefused({"hosts", hosts}, c.bytesRefusal, {}, "hosts");
            ExpectRefused(QStringList{"update", "--hosts-file", hosts} + At() << file,
                          c.bytesRefusal, {}, "--hosts-file");
            ++tried;
        }
    }
    EXPECT_GT(tried, 20);
    EXPECT_TRUE(sim_.LinesWith("version query").empty());
}

// The recorder is told the file's own name in the code page it reads, in
// the descriptor and in the execute request alike.
TEST_F(OperatorTextProcess, AFileNameWithAnUmlautReachesTheRecorderInWindows1252) {
    ASSERT_TRUE(sim_.ok()) << sim_.error();
    const QString file = Write("B\u00f6se Datei.sh", kFile);
    const CliRun run =
        RunCli(QStringList{"update", "-H", "127.0.0.1"} + At() << file, CliEnvironment("admin"));
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    // The simulator may write its last lines after the command line ended.
    const QDeadlineTimer deadline(5000);
    while (sim_.LinesWith("execute ").empty() && !deadline.hasExpired()) {
        QThread::msleep(20);
    }
    EXPECT_EQ(sim_.LinesWith("file descriptor /tmp/B\\xF6se Datei.sh ").size(), 1u);
    EXPECT_EQ(sim_.LinesWith("execute /tmp/B\\xF6se Datei.sh").size(), 1u);
}

}  // namespace
}  // namespace trelvo::testing
