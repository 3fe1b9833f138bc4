#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "job/update_job.h"
#include "text/secret.h"

// Texts here are UTF-8, as the command line gave them (on Windows read as
// UTF-16 and converted).
namespace trelvo {

// What `trelvo-cli update` or `trelvo-cli probe` was asked to do.
struct UpdateOptions {
    std::string file;                        // update only
    std::vector<std::string> hosts;          // -H in the order given
    std::string hostsFile;                   // --hosts-file, empty when not given
    std::vector<std::string> serialDevices;  // --serial in the order given
    std::uint16_t port = UPDATE_PORT;
    int baud = DEFAULT_SERIAL_BAUD;
    Secret updateCode;         // as typed
    std::string passwordFile;  // empty: environment, then prompt
    int parallel = 8;
    // 0 waits for ever, like the window.
    double timeoutSeconds = 30;          // connect, each reply, a transfer that does not drain
    double resultTimeoutSeconds = 1800;  // update: the reply to the execute request
    int retries = 0;                     // further attempts after a failed connection
    bool json = false;
    std::vector<std::string> skipVersions;  // --skip-version in the order given
    std::string reportFile;                 // --report, empty when not given
    std::string retryFailed;                // --retry-failed: the recorders come from this report
    // update: the digest the file must have, in lower-case hex; empty when not given.
    std::string sha256;
    // update: the version each recorder is to report after its update.
    std::optional<std::string> expectVersion;
    double verifySeconds = 600;  // for it to show; 0 waits for ever
};

// What `trelvo-cli discover` was asked to do.
struct DiscoverOptions {
    std::vector<std::string> ranges;  // as given: CIDR blocks or first-last ranges
    std::uint16_t port = UPDATE_PORT;
    int parallel = 256;
    // Addresses without a recorder mostly stay silent on a real network; a
    // recorder answers a connect and a version query well within this.
    double timeoutSeconds = 1;
    bool json = false;
    std::string hostsOut;  // --hosts-out, empty when not given
};

struct CliCommand {
    enum class Kind { Update, Probe, Discover, Hosts, Help, Version };
    Kind kind = Kind::Help;
    UpdateOptions update;
    DiscoverOptions discover;
    std::string hostsPath;  // empty: the system's lmhosts file
};

// Either a command or a usage error; `help` is the text for --help (of the
// command it follows, or of every command) and for usage errors alike.
struct ParsedCommandLine {
    bool ok = false;
    CliCommand command;
    std::string error;
    std::string help;
};

// `arguments` are those after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace trelvo
