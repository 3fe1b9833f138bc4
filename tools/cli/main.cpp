// trelvo-cli: updates recorders from the command line with the window's engine.
#include <iostream>

#include "tools/cli/cli_options.h"
#include "tools/cli/console.h"
#include "tools/cli/discover_command.h"
#include "tools/cli/hosts_command.h"
#include "tools/cli/update_command.h"
#include "trelvo_version.h"

int main(int argc, char** argv) {
    trelvo::PrepareOutput();
    const trelvo::ParsedCommandLine parsed =
        trelvo::ParseCommandLine(trelvo::Utf8Arguments(argc, argv));
    if (!parsed.ok) {
        std::cerr << "trelvo-cli: " << parsed.error << "\n(see trelvo-cli --help)\n";
        return 2;
    }
    const trelvo::CliCommand& command = parsed.command;
    const auto prepared = [] {
        std::string problem;
        if (!trelvo::PrepareForRecorders(problem)) {
            std::cerr << "trelvo-cli: " << problem << '\n';
            return false;
        }
        return true;
    };
    switch (command.kind) {
        case trelvo::CliCommand::Kind::Help:
            std::cout << parsed.help;
            return 0;
        case trelvo::CliCommand::Kind::Version:
            std::cout << "trelvo-cli " << TRELVO_VERSION << '\n';
            return 0;
        case trelvo::CliCommand::Kind::Hosts:
            return trelvo::ListHosts(command.hostsPath, std::cout, std::cerr);
        case trelvo::CliCommand::Kind::Update:
            return prepared() ? trelvo::RunUpdate(command.update) : 2;
        case trelvo::CliCommand::Kind::Probe:
            return prepared() ? trelvo::RunProbe(command.update) : 2;
        case trelvo::CliCommand::Kind::Discover:
            return prepared() ? trelvo::RunDiscover(command.discover) : 2;
    }
    return 2;
}
