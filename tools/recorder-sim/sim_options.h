#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "job/update_job.h"
#include "tools/recorder-sim/recorder_session.h"

namespace trelvo {

// Everything the command line of the recorder simulator can set.
struct SimOptions {
    RecorderBehaviour behaviour;
    std::string listenAddress = "127.0.0.1";
    std::uint16_t listenPort = UPDATE_PORT;
    bool pty = false;
    std::uint32_t delayMs = 0;
    std::optional<std::uint64_t> silentAfter;      // replies per connection
    std::optional<std::uint64_t> closeAfterBytes;  // received bytes per connection
    // Received bytes per connection after which nothing more is read, as a
    // recorder holding CTS off: the peer's writes back up.
    std::optional<std::uint64_t> stopReadingAfter;
    // Above 0: answers nothing, but sends one zero byte every this many ms,
    // bytes that never make a reply, as a device that keeps talking.
    std::uint32_t babbleMs = 0;
    // The version text is padded with "x" to this many bytes: a recorder's
    // text far longer than any command line can pass.
    std::uint32_t versionPadTo = 0;
    // Connections reset as soon as they are accepted, before any other.
    std::uint64_t refuseFirst = 0;
    // After an update that succeeded, the version the recorder reports from
    // then on: as text in network replies, and in serial replies as their
    // number when the text is a decimal number (with --pty it must be one).
    std::optional<std::string> versionAfterUpdate;
    std::optional<std::uint32_t> versionNumberAfterUpdate;
    // After an update that succeeded: every connection is dropped and
    // connects are refused for this long, as a recorder restarting.
    std::uint32_t restartSeconds = 0;
    bool reset = false;
    std::string savePath;
    std::string saveDir;
    bool once = false;
    bool quiet = false;
    bool trace = false;  // file byte arrivals and cut-offs on stdout, timed
    bool help = false;
};

struct ParsedOptions {
    std::optional<SimOptions> options;
    std::string error;  // set when options is empty
};

// The arguments after the program name.
ParsedOptions ParseSimOptions(std::span<const std::string_view> args);

// Usage line first, then every option.
std::string SimHelpText(std::string_view program);

}  // namespace trelvo
