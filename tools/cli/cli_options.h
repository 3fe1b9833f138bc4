#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "job/update_job.h"
#include "text/secret.h"

namespace trelvo {

// What `trelvo-cli update` or `trelvo-cli probe` was asked to do.
struct UpdateOptions {
    QString file;               // update only
    QStringList hosts;          // -H in the order given
    QString hostsFile;          // --hosts-file, empty when not given
    QStringList serialDevices;  // --serial in the order given
    std::uint16_t port = UPDATE_PORT;
    int baud = DEFAULT_SERIAL_BAUD;
    Secret updateCode;     // as typed, UTF-8
    QString passwordFile;  // empty: environment, then prompt
    int parallel = 8;
    // 0 waits for ever, like the window.
    double timeoutSeconds = 30;          // connect, each reply, a transfer that does not drain
    double resultTimeoutSeconds = 1800;  // update: the reply to the execute request
    int retries = 0;                     // further attempts after a failed connection
    bool json = false;
    QStringList skipVersions;  // --skip-version in the order given
    QString reportFile;        // --report, empty when not given
    QString retryFailed;       // --retry-failed: the recorders come from this report
};

// What `trelvo-cli discover` was asked to do.
struct DiscoverOptions {
    QStringList ranges;  // as given: CIDR blocks or first-last ranges
    std::uint16_t port = UPDATE_PORT;
    int parallel = 256;
    // Addresses without a recorder mostly stay silent on a real network; a
    // recorder answers a connect and a version query well within this.
    double timeoutSeconds = 1;
    bool json = false;
    QString hostsOut;  // --hosts-out, empty when not given
};

struct CliCommand {
    enum class Kind { Update, Probe, Discover, Hosts, Help, Version };
    Kind kind = Kind::Help;
    UpdateOptions update;
    DiscoverOptions discover;
    QString hostsPath;  // empty: the system's lmhosts file
};

// Either a command or a usage error; `help` is the text for --help and
// usage errors alike.
struct ParsedCommandLine {
    bool ok = false;
    CliCommand command;
    QString error;
    QString help;
};

// `arguments` includes the program name first, as QCoreApplication gives it.
ParsedCommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace trelvo
