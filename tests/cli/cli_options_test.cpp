#include "tools/cli/cli_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace trelvo {
namespace {

using Arguments = std::vector<std::string>;

ParsedCommandLine Parse(const Arguments& arguments) {
    return ParseCommandLine(arguments);
}

std::string Joined(const Arguments& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        text += argument + ' ';
    }
    return text;
}

// Unlike the window, the command line gives up on its own: nobody may be
// watching it.
TEST(CliOptions, DefaultsMatchTheWindowButForTheTimeOuts) {
    const ParsedCommandLine parsed = Parse({"update", "-H", "rec1", "/tmp/file.sh"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const UpdateOptions& update = parsed.command.update;
    EXPECT_EQ(update.file, "/tmp/file.sh");
    EXPECT_EQ(update.hosts, Arguments{"rec1"});
    EXPECT_EQ(update.port, 30000);
    EXPECT_EQ(update.baud, 115200);
    EXPECT_EQ(update.parallel, 8);
    EXPECT_EQ(update.timeoutSeconds, 30);
    EXPECT_EQ(update.resultTimeoutSeconds, 1800);
    EXPECT_EQ(update.retries, 0);
    EXPECT_EQ(update.updateCode.text(), "");
    EXPECT_FALSE(update.json);
    EXPECT_EQ(update.sha256, "");
    EXPECT_EQ(update.expectVersion, std::nullopt);
    EXPECT_EQ(update.verifySeconds, 600);
}

// The digest is read in either case and kept as the tool writes digests.
TEST(CliOptions, UpdateTakesTheFilesDigestAndTheVersionToSeeAfterwards) {
    const std::string digest(64, 'a');
    const ParsedCommandLine parsed =
        Parse({"update", "-H", "h", "--sha256", std::string(64, 'A'), "--expect-version", "2.0.61",
               "--verify-timeout", "90.5", "f.sh"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.update.sha256, digest);
    EXPECT_EQ(parsed.command.update.expectVersion, "2.0.61");
    EXPECT_EQ(parsed.command.update.verifySeconds, 90.5);

    struct Case {
        Arguments options;
        const char* says;
    };
    const Case cases[] = {
        {{"--sha256", digest.substr(1)}, "--sha256 needs the file's SHA-256 as 64 hexadecimal"},
        {{"--sha256", digest + "a"}, "64 hexadecimal digits"},
        {{"--sha256=" + digest.substr(1) + "g"}, "64 hexadecimal digits"},
        {{"--sha256", ""}, "64 hexadecimal digits"},
        {{"--expect-version", ""}, "--expect-version needs the version"},
        {{"--verify-timeout", "60"}, "--verify-timeout goes with --expect-version"},
        {{"--expect-version", "2", "--verify-timeout", "-1"}, "--verify-timeout needs seconds"},
        {{"--expect-version", "2", "--verify-timeout", "1e6"}, "--verify-timeout needs seconds"},
    };
    for (const Case& c : cases) {
        Arguments arguments{"update", "-H", "h"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back("f.sh");
        const ParsedCommandLine parsed = Parse(arguments);
        EXPECT_FALSE(parsed.ok) << Joined(c.options);
        EXPECT_NE(parsed.error.find(c.says), std::string::npos)
            << Joined(c.options) << ": " << parsed.error;
    }
    for (const char* option : {"--sha256", "--expect-version", "--verify-timeout"}) {
        const ParsedCommandLine probe = Parse({"probe", "-H", "h", option, "1"});
        EXPECT_NE(probe.error.find(std::string(option) + " belongs to update, not to probe"),
                  std::string::npos)
            << probe.error;
    }
}

TEST(CliOptions, EveryOptionIsTakenOver) {
    const ParsedCommandLine parsed =
        Parse({"update", "--host",    "a",    "-H",        "b",      "--hosts-file",
               "hosts",  "-p",        "4000", "-c",        "Code 7", "--password-file",
               "-",      "-j",        "200",  "--timeout", "2.5",    "--result-timeout",
               "0",      "--retries", "3",    "--json",    "f.sh"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const UpdateOptions& update = parsed.command.update;
    EXPECT_EQ(update.hosts, (Arguments{"a", "b"}));
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
    EXPECT_EQ(serial.command.update.serialDevices, (Arguments{"COM2", "/dev/ttyUSB0"}));
    EXPECT_EQ(serial.command.update.baud, 9600);
}

TEST(CliOptions, CommandsOtherThanUpdate) {
    struct Case {
        Arguments arguments;
        CliCommand::Kind kind;
        std::string hostsPath;
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
        ASSERT_TRUE(parsed.ok) << Joined(c.arguments);
        EXPECT_EQ(parsed.command.kind, c.kind);
        EXPECT_EQ(parsed.command.hostsPath, c.hostsPath);
    }
}

TEST(CliOptions, BadNumbersAreUsageErrors) {
    const Arguments bad[] = {
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
    for (const Arguments& options : bad) {
        Arguments arguments{"update", "-H", "h"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.push_back("f.sh");
        const ParsedCommandLine parsed = Parse(arguments);
        EXPECT_FALSE(parsed.ok) << Joined(options);
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(CliOptions, DiscoverTakesRangesAndItsOwnDefaults) {
    const ParsedCommandLine parsed = Parse({"discover", "10.0.0.0/24", "10.0.1.5-10.0.1.9"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.kind, CliCommand::Kind::Discover);
    const DiscoverOptions& discover = parsed.command.discover;
    EXPECT_EQ(discover.ranges, (Arguments{"10.0.0.0/24", "10.0.1.5-10.0.1.9"}));
    EXPECT_EQ(discover.parallel, 256);
    EXPECT_EQ(discover.timeoutSeconds, 1);
    EXPECT_EQ(discover.port, 30000);
    EXPECT_FALSE(discover.json);
    EXPECT_TRUE(discover.hostsOut.empty());

    const ParsedCommandLine given =
        Parse({"discover", "-j", "64", "--timeout", "0.5", "-p", "4000", "--json", "--hosts-out",
               "found.lmhosts", "10.0.0.0/24"});
    ASSERT_TRUE(given.ok) << given.error;
    EXPECT_EQ(given.command.discover.parallel, 64);
    EXPECT_EQ(given.command.discover.timeoutSeconds, 0.5);
    EXPECT_EQ(given.command.discover.port, 4000);
    EXPECT_TRUE(given.command.discover.json);
    EXPECT_EQ(given.command.discover.hostsOut, "found.lmhosts");
}

TEST(CliOptions, DiscoverRefusesWhatBelongsElsewhere) {
    struct Case {
        Arguments arguments;
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
        EXPECT_FALSE(parsed.ok) << Joined(c.arguments);
        EXPECT_NE(parsed.error.find(c.says), std::string::npos)
            << Joined(c.arguments) << ": " << parsed.error;
    }
}

TEST(CliOptions, TheResultTimeOutBelongsToUpdateAndRetriesToBoth) {
    EXPECT_FALSE(Parse({"probe", "-H", "h", "--result-timeout", "5"}).ok);
    const ParsedCommandLine probe = Parse({"probe", "-H", "h", "--retries", "2"});
    ASSERT_TRUE(probe.ok) << probe.error;
    EXPECT_EQ(probe.command.update.retries, 2);
}

TEST(CliOptions, ArgumentsInTheWrongPlaceAreNamed) {
    struct Case {
        Arguments arguments;
        const char* says;
    };
    const Case cases[] = {
        {{}, "name a command"},
        {{"flash", "f.sh"}, "unknown command flash"},
        {{"-H", "rec1", "update", "f.sh"}, "the options follow the command: trelvo-cli update -H"},
        {{"--json"}, "name a command before the options"},
        {{"update", "-H", "h", "--frobnicate", "f.sh"}, "unknown option --frobnicate for update"},
        {{"update", "-H", "h", "a.sh", "b.sh"}, "exactly one FILE"},
        {{"probe", "-H", "h", "f.sh"}, "probe takes no FILE"},
        {{"probe", "-H", "h", "--report=r.json"}, "--report belongs to update, not to probe"},
        {{"hosts", "a", "b"}, "at most one PATH"},
    };
    for (const Case& c : cases) {
        const ParsedCommandLine parsed = Parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << Joined(c.arguments);
        EXPECT_NE(parsed.error.find(c.says), std::string::npos)
            << Joined(c.arguments) << ": " << parsed.error;
    }
}

// After "--" every word is an argument, also one that looks like an option
// or is "--" itself; scripts and the Ansible modules end the options so.
TEST(CliOptions, AfterTheEndOfTheOptionsEveryWordIsAnArgument) {
    const struct {
        Arguments arguments;
        std::string file;
    } cases[] = {
        {{"update", "-H", "h", "--", "f.sh"}, "f.sh"},
        {{"update", "-H", "h", "--", "-f.sh"}, "-f.sh"},
        {{"update", "-H", "h", "--", "--"}, "--"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = Parse(c.arguments);
        ASSERT_TRUE(parsed.ok) << Joined(c.arguments) << ": " << parsed.error;
        EXPECT_EQ(parsed.command.update.file, c.file);
    }
    const ParsedCommandLine discover = Parse({"discover", "--", "10.0.0.1", "10.0.0.2"});
    ASSERT_TRUE(discover.ok) << discover.error;
    EXPECT_EQ(discover.command.discover.ranges, (Arguments{"10.0.0.1", "10.0.0.2"}));
    EXPECT_NE(Parse({"update", "-H", "h", "--", "a.sh", "b.sh"}).error.find("exactly one FILE"),
              std::string::npos);
    EXPECT_NE(Parse({"update", "-H", "h", "--"}).error.find("exactly one FILE"), std::string::npos);
}

TEST(CliOptions, SerialPortsHaveAShortName) {
    const ParsedCommandLine parsed = Parse({"probe", "-S", "COM3", "-S", "COM12"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.update.serialDevices, (Arguments{"COM3", "COM12"}));
}

TEST(CliOptions, EachCommandHasItsOwnHelp) {
    const ParsedCommandLine update = Parse({"update", "--help"});
    ASSERT_TRUE(update.ok);
    EXPECT_EQ(update.command.kind, CliCommand::Kind::Help);
    EXPECT_NE(update.help.find("--result-timeout"), std::string::npos);
    const ParsedCommandLine discover = Parse({"discover", "-h"});
    EXPECT_NE(discover.help.find("--hosts-out"), std::string::npos);
    EXPECT_EQ(discover.help.find("--password-file"), std::string::npos);
}

// Every long option of a text, as "--name".
std::set<std::string> LongOptions(const std::string& text) {
    const std::regex option(R"(--[a-z][a-z-]*[a-z])");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

// The options the manual page describes: each entry of its OPTIONS section.
std::set<std::string> ManualPageOptions() {
    std::ifstream page(TRELVO_CLI_MAN_PAGE);
    std::string line;
    bool inOptions = false;
    bool entryHead = false;
    std::string heads;
    while (std::getline(page, line)) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS";
        } else if (inOptions && entryHead) {
            heads += line + '\n';
        }
        entryHead = inOptions && line == ".TP";
    }
    const std::string unescaped = std::regex_replace(heads, std::regex(R"(\\-)"), "-");
    return LongOptions(unescaped);
}

TEST(CliOptions, HelpAndManualPageNameTheSameOptions) {
    const std::set<std::string> manual = ManualPageOptions();
    ASSERT_FALSE(manual.empty()) << TRELVO_CLI_MAN_PAGE;
    EXPECT_EQ(LongOptions(Parse({"--help"}).help), manual);
}

TEST(CliOptions, HelpNamesEveryOption) {
    const std::string help = Parse({"--help"}).help;
    for (const char* name :
         {"--host", "--hosts-file", "--port", "--serial", "--baud", "--code", "--password-file",
          "--parallel", "--timeout", "--result-timeout", "--retries", "--json", "--sha256",
          "--expect-version", "--verify-timeout", "hosts", "TRELVO_PASSWORD", "discover",
          "--hosts-out"}) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace trelvo
