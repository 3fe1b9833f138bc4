// trelvo-cli: updates recorders from the command line with the window's engine.
#include <sys/resource.h>

#include <QCoreApplication>
#include <iostream>

#include "tools/cli/cli_options.h"
#include "tools/cli/discover_command.h"
#include "tools/cli/hosts_command.h"
#include "tools/cli/update_command.h"
#include "trelvo_version.h"

namespace {

// Each recorder holds a socket and the update file open; the soft limit of
// open files would otherwise cap a large run.
void RaiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("trelvo-cli");
    QCoreApplication::setApplicationVersion(TRELVO_VERSION);

    const trelvo::ParsedCommandLine parsed =
        trelvo::ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.ok) {
        std::cerr << "trelvo-cli: " << parsed.error.toStdString() << "\n(see trelvo-cli --help)\n";
        return 2;
    }
    const trelvo::CliCommand& command = parsed.command;
    switch (command.kind) {
        case trelvo::CliCommand::Kind::Help:
            std::cout << parsed.help.toStdString();
            return 0;
        case trelvo::CliCommand::Kind::Version:
            std::cout << "trelvo-cli " << TRELVO_VERSION << '\n';
            return 0;
        case trelvo::CliCommand::Kind::Hosts:
            return trelvo::ListHosts(command.hostsPath.toStdString(), std::cout, std::cerr);
        case trelvo::CliCommand::Kind::Update:
            RaiseOpenFileLimit();
            return trelvo::RunUpdate(command.update);
        case trelvo::CliCommand::Kind::Probe:
            RaiseOpenFileLimit();
            return trelvo::RunProbe(command.update);
        case trelvo::CliCommand::Kind::Discover:
            RaiseOpenFileLimit();
            return trelvo::RunDiscover(command.discover);
    }
    return 2;
}
