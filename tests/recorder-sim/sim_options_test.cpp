#include "tools/recorder-sim/sim_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "job/wire_format.h"

namespace trelvo {
namespace {

ParsedOptions Parse(std::vector<std::string_view> args) {
    return ParseSimOptions(args);
}

TEST(SimOptions, DefaultsServeAGoodRecorderOnTheUpdatePort) {
    const ParsedOptions parsed = Parse({});
    ASSERT_TRUE(parsed.options);
    const SimOptions& options = *parsed.options;
    EXPECT_EQ(options.listenAddress, "127.0.0.1");
    EXPECT_EQ(options.listenPort, 30000);
    EXPECT_EQ(options.behaviour.versionText, "2.0.60");
    EXPECT_EQ(options.behaviour.versionNumber, 20070u);
    EXPECT_EQ(options.behaviour.password, "admin");
    EXPECT_FALSE(options.behaviour.updateCode);
    EXPECT_EQ(options.behaviour.access, ACCESS_ADMIN);
    EXPECT_FALSE(options.once || options.quiet || options.pty || options.silentAfter ||
                 options.closeAfterBytes);
}

TEST(SimOptions, EveryValueIsTaken) {
    const ParsedOptions parsed = Parse({"--listen",
                                        "0.0.0.0:0",
                                        "--version-text=QRB7",
                                        "--version-pad-to",
                                        "6",
                                        "--babble-ms",
                                        "300",
                                        "--version-number",
                                        "20069",
                                        "--password",
                                        "",
                                        "--update-code",
                                        "u1",
                                        "--access",
                                        "2",
                                        "--transfer-status",
                                        "16",
                                        "--result-status=17",
                                        "--delay-ms",
                                        "250",
                                        "--silent-after",
                                        "3",
                                        "--close-after-bytes",
                                        "1000",
                                        "--reset",
                                        "--save-dir",
                                        "/tmp",
                                        "--once",
                                        "--quiet"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SimOptions& o = *parsed.options;
    EXPECT_EQ(o.listenAddress, "0.0.0.0");
    EXPECT_EQ(o.listenPort, 0);
    EXPECT_EQ(o.behaviour.versionText, "QRB7xx");
    EXPECT_EQ(o.babbleMs, 300u);
    EXPECT_EQ(o.behaviour.versionNumber, 20069u);
    EXPECT_EQ(o.behaviour.password, "");
    EXPECT_EQ(o.behaviour.updateCode, "u1");
    EXPECT_EQ(o.behaviour.access, 2u);
    EXPECT_EQ(o.behaviour.transferStatus, 16);
    EXPECT_EQ(o.behaviour.resultStatus, 17);
    EXPECT_EQ(o.delayMs, 250u);
    EXPECT_EQ(o.silentAfter, 3u);
    EXPECT_EQ(o.closeAfterBytes, 1000u);
    EXPECT_EQ(o.saveDir, "/tmp");
    EXPECT_TRUE(o.reset && o.once && o.quiet);
}

TEST(SimOptions, HangUpsAndRefusalsAreTaken) {
    const struct {
        std::vector<std::string_view> args;
        std::optional<HangUpStep> step;
    } cases[] = {
        {{"--hang-up-at", "version"}, HangUpStep::Version},
        {{"--hang-up-at", "password", "--reset"}, HangUpStep::Password},
        {{"--hang-up-at=descriptor"}, HangUpStep::Descriptor},
        {{"--pty", "--hang-up-at", "file"}, HangUpStep::File},
        {{"--hang-up-at", "execute"}, HangUpStep::Execute},
        {{"--hang-up-at", "result"}, HangUpStep::Result},
        {{"--pty", "--close-after-bytes", "100"}, std::nullopt},
        {{"--refuse-first", "2"}, std::nullopt},
    };
    for (const auto& c : cases) {
        const ParsedOptions parsed = Parse(c.args);
        ASSERT_TRUE(parsed.options) << c.args[1] << ": " << parsed.error;
        EXPECT_EQ(parsed.options->behaviour.hangUpAt, c.step) << c.args[1];
    }
    EXPECT_EQ(Parse({"--refuse-first", "2"}).options->refuseFirst, 2u);
}

TEST(SimOptions, WhatAnUpdateThatSucceededChangesIsTaken) {
    const struct {
        std::vector<std::string_view> args;
        std::optional<std::string> text;
        std::optional<std::uint32_t> number;
        std::uint32_t restartSeconds;
    } cases[] = {
        {{}, std::nullopt, std::nullopt, 0},
        {{"--version-after-update", "2.0.61"}, "2.0.61", std::nullopt, 0},
        {{"--version-after-update=20071", "--restart-seconds", "3"}, "20071", 20071u, 3},
        {{"--pty", "--version-after-update", "20080"}, "20080", 20080u, 0},
        {{"--version-after-update", "2.1\xc3\x9f"}, "2.1\xdf", std::nullopt, 0},
        {{"--restart-seconds", "1"}, std::nullopt, std::nullopt, 1},
    };
    for (const auto& c : cases) {
        const ParsedOptions parsed = Parse(c.args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->versionAfterUpdate, c.text);
        EXPECT_EQ(parsed.options->versionNumberAfterUpdate, c.number);
        EXPECT_EQ(parsed.options->restartSeconds, c.restartSeconds);
    }
}

TEST(SimOptions, TextsAreHeldInWindows1252AsRecordersHoldThem) {
    const ParsedOptions parsed = Parse({"--password", "p\xc3\xa4sswort", "--update-code",
                                        "5\xe2\x82\xac", "--version-text", "2.0.60\xc3\x9f"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->behaviour.password, "p\xe4sswort");
    EXPECT_EQ(parsed.options->behaviour.updateCode, "5\x80");
    EXPECT_EQ(parsed.options->behaviour.versionText, "2.0.60\xdf");
}

TEST(SimOptions, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string_view>> bad = {
        {"--bogus"},
        {"--listen", "127.0.0.1"},
        {"--listen", "127.0.0.1:65536"},
        {"--access", "-1"},
        {"--transfer-status", "65536"},
        {"--delay-ms", "5x"},
        {"--password"},
        {"--password", "\xe2\x98\x83"},  // a snowman: no Windows-1252 byte carries it
        {"--update-code", "\xff"},       // not UTF-8
        {"--once=yes"},
        {"--save", ""},
        {"--reset"},
        {"--pty", "--listen", "127.0.0.1:1"},
        {"--pty", "--hang-up-at", "file", "--reset"},
        {"--pty", "--refuse-first", "1"},
        {"--save", "a", "--save-dir", "b"},
        {"--hang-up-at", "later"},
        {"--hang-up-at", "result", "--delay-ms", "10"},
        {"--restart-seconds", "0"},
        {"--restart-seconds", "-1"},
        {"--pty", "--restart-seconds", "1"},
        // A serial recorder reports a number.
        {"--pty", "--version-after-update", "2.0.61"},
        {"--version-after-update", "\xe2\x98\x83"},
        // A NUL would end the text on the wire.
        {"--password", std::string_view("ge\0heim", 7)},
        {"--update-code", std::string_view("\0", 1)},
    };
    for (const auto& args : bad) {
        const ParsedOptions parsed = Parse(args);
        EXPECT_FALSE(parsed.options) << args[0];
        EXPECT_FALSE(parsed.error.empty()) << args[0];
    }
}

TEST(SimOptions, HelpStartsWithUsageAndNamesEveryOption) {
    const std::string help = SimHelpText("sim");
    EXPECT_EQ(help.rfind("usage: sim ", 0), 0u);
    for (const char* option : {"--listen",
                               "--pty",
                               "--version-text",
                               "--version-number",
                               "--password",
                               "--update-code",
                               "--access",
                               "--transfer-status",
                               "--result-status",
                               "--delay-ms",
                               "--silent-after",
                               "--close-after-bytes",
                               "--stop-reading-after",
                               "--reset",
                               "--hang-up-at",
                               "--refuse-first",
                               "--version-after-update",
                               "--restart-seconds",
                               "--save",
                               "--save-dir",
                               "--once",
                               "--quiet",
                               "--trace",
                               "--help"}) {
        EXPECT_NE(help.find(std::string(option) + " "), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace trelvo
