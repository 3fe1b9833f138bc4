#include "tools/cli/cli_options.h"

#include <gtest/gtest.h>

namespace trelvo {
namespace {

ParsedCommandLine Parse(QStringList arguments) {
    arguments.prepend("trelvo-cli");
    return ParseCommandLine(arguments);
}

// Unlike the window, the command line gives up on its own: nobody may be
// watching it.
TEST(CliOptions, DefaultsMatchTheWindowButForTheTimeOuts) {
    const ParsedCommandLine parsed = Parse({"update", "-H", "rec1", "file.sh"});
    ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
    const UpdateOptions& update = parsed.command.update;
    EXPECT_EQ(update.file, "file.sh");
    EXPECT_EQ(update.hosts, QStringList{"rec1"});
    EXPECT_EQ(update.port, 30000);
    EXPECT_EQ(update.baud, 115200);
    EXPECT_EQ(update.parallel, 8);
    EXPECT_EQ(update.timeoutSeconds, 30);
    EXPECT_EQ(update.resultTimeoutSeconds, 1800);
    EXPECT_EQ(update.retries, 0);
    EXPECT_EQ(update.updateCode.text(), "");
    EXPECT_FALSE(update.json);
}

TEST(CliOptions, EveryOptionIsTakenOver) {
    const ParsedCommandLine parsed =
        Parse({"update", "--host",    "a",    "-H",        "b",      "--hosts-file",
               "hosts",  "-p",        "4000", "-c",        "Code 7", "--password-file",
               "-",      "-j",        "200",  "--timeout", "2.5",    "--result-timeout",
               "0",      "--retries", "3",    "--json",    "f.sh"});
    ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
    const UpdateOptions& update = parsed.command.update;
    EXPECT_EQ(update.hosts, (QStringList{"a", "b"}));
    EXPECT_EQ(update.hostsFile, "hosts");
    EXPECT_EQ(update.port, 4000);
    EXPECT_EQ(update.updateCode.text(), "Code 7");
    EXPECT_EQ(update.passwordFile, "-");
    EXPECT_EQ(update.parallel, 200);
    EXPECT_EQ(update.timeoutSeconds, 2.5);
    EXPECT_EQ(update.resultTimeoutSeconds, 0);
    EXPECT_EQ(update.retries, 3);
    EXPECT_TRUE(update.json);

    const ParsedCommandLine serial =
        Parse({"update", "--serial", "COM2", "--serial", "/dev/ttyUSB0", "-b", "9600", "f.sh"});
    ASSERT_TRUE(serial.ok);
    EXPECT_EQ(serial.command.update.serialDevices, (QStringList{"COM2", "/dev/ttyUSB0"}));
    EXPECT_EQ(serial.command.update.baud, 9600);
}

TEST(CliOptions, CommandsOtherThanUpdate) {
    struct Case {
        QStringList arguments;
        CliCommand::Kind kind;
        QString hostsPath;
    };
    const Case cases[] = {
        {{"hosts"}, CliCommand::Kind::Hosts, ""},
        {{"hosts", "/tmp/lmhosts"}, CliCommand::Kind::Hosts, "/tmp/lmhosts"},
        {{"--help"}, CliCommand::Kind::Help, ""},
        {{"-h"}, CliCommand::Kind::Help, ""},
        {{"--version"}, CliCommand::Kind::Version, ""},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(c.arguments);
        ASSERT_TRUE(parsed.ok) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.command.kind, c.kind);
        EXPECT_EQ(parsed.command.hostsPath, c.hostsPath);
    }
}

TEST(CliOptions, BadNumbersAreUsageErrors) {
    const QStringList bad[] = {
        {"-p", "65536"},
        {"-p", "x"},
        {"-b", "0"},
        {"-j", "-3"},
        {"-j", "2.5"},
        {"--timeout", "nan"},
        {"--timeout", "1e9"},
        {"--password-file", ""},
        {"--result-timeout", "-1"},
        {"--retries", "-1"},
        {"--retries", "101"},
    };
    for (const QStringList& options : bad) {
        const ParsedCommandLine parsed =
            Parse(QStringList{"update", "-H", "h"} + options + QStringList{"f.sh"});
        EXPECT_FALSE(parsed.ok) << options.join(' ').toStdString();
        EXPECT_FALSE(parsed.error.isEmpty());
    }
}

TEST(CliOptions, DiscoverTakesRangesAndItsOwnDefaults) {
    const ParsedCommandLine parsed = Parse({"discover", "10.0.0.0/24", "10.0.1.5-10.0.1.9"});
    ASSERT_TRUE(parsed.ok) << parsed.error.toStdString();
    EXPECT_EQ(parsed.command.kind, CliCommand::Kind::Discover);
    const DiscoverOptions& discover = parsed.command.discover;
    EXPECT_EQ(discover.ranges, (QStringList{"10.0.0.0/24", "10.0.1.5-10.0.1.9"}));
    EXPECT_EQ(discover.parallel, 256);
    EXPECT_EQ(discover.timeoutSeconds, 1);
    EXPECT_EQ(discover.port, 30000);
    EXPECT_FALSE(discover.json);
    EXPECT_TRUE(discover.hostsOut.isEmpty());

    const ParsedCommandLine given =
        Parse({"discover", "-j", "64", "--timeout", "0.5", "-p", "4000", "--json", "--hosts-out",
               "found.lmhosts", "10.0.0.0/24"});
    ASSERT_TRUE(given.ok) << given.error.toStdString();
    EXPECT_EQ(given.command.discover.parallel, 64);
    EXPECT_EQ(given.command.discover.timeoutSeconds, 0.5);
    EXPECT_EQ(given.command.discover.port, 4000);
    EXPECT_TRUE(given.command.discover.json);
    EXPECT_EQ(given.command.discover.hostsOut, "found.lmhosts");
}

TEST(CliOptions, DiscoverRefusesWhatBelongsElsewhere) {
    struct Case {
        QStringList arguments;
        const char* says;
    };
    const Case cases[] = {
        {{"discover"}, "at least one RANGE"},
        {{"discover", "-H", "rec1", "10.0.0.0/24"}, "--host belongs to update and probe"},
        {{"discover", "--password-file", "pw", "10.0.0.0/24"}, "--password-file belongs"},
        {{"discover", "--serial", "COM1", "10.0.0.0/24"}, "--serial belongs"},
        {{"discover", "-c", "4711", "10.0.0.0/24"}, "--code belongs"},
        {{"discover", "--hosts-out", "", "10.0.0.0/24"}, "--hosts-out needs a file name"},
        {{"discover", "-j", "0", "10.0.0.0/24"}, "--parallel needs"},
        {{"discover", "--timeout", "-1", "10.0.0.0/24"}, "--timeout needs"},
        {{"probe", "-H", "rec1", "--hosts-out", "f"}, "--hosts-out belongs to discover"},
        {{"update", "-H", "rec1", "--hosts-out", "f", "u.sh"}, "--hosts-out belongs to discover"},
        {{"hosts", "--hosts-out", "f"}, "--hosts-out belongs to discover"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.error.contains(c.says))
            << c.arguments.join(' ').toStdString() << ": " << parsed.error.toStdString();
    }
}

TEST(CliOptions, TheResultTimeOutBelongsToUpdateAndRetriesToBoth) {
    EXPECT_FALSE(Parse({"probe", "-H", "h", "--result-timeout", "5"}).ok);
    const ParsedCommandLine probe = Parse({"probe", "-H", "h", "--retries", "2"});
    ASSERT_TRUE(probe.ok) << probe.error.toStdString();
    EXPECT_EQ(probe.command.update.retries, 2);
}

TEST(CliOptions, HelpNamesEveryOption) {
    const QString help = Parse({"--help"}).help;
    for (const char* name :
         {"--host", "--hosts-file", "--port", "--serial", "--baud", "--code", "--password-file",
          "--parallel", "--timeout", "--result-timeout", "--retries", "--json", "hosts",
          "TRELVO_PASSWORD", "discover", "--hosts-out"}) {
        EXPECT_TRUE(help.contains(name)) << name;
    }
}

}  // namespace
}  // namespace trelvo
