#include "tools/cli/update_command.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <cmath>
#include <iostream>
#include <memory>

#include "link/net_link.h"
#include "link/serial_link.h"
#include "link/steady_tick_clock.h"
#include "tools/cli/fleet.h"
#include "tools/cli/hosts_command.h"
#include "tools/cli/interrupt_watch.h"
#include "tools/cli/json_reporter.h"
#include "tools/cli/password_source.h"
#include "tools/cli/text_reporter.h"

namespace trelvo {
namespace {

int LocalProblem(const std::string& text) {
    std::cerr << "trelvo-cli: " << text << '\n';
    return 2;
}

// The recorders in command-line order: -H names, then the hosts file's, or the serial lines.
bool CollectTargets(const UpdateOptions& options, std::vector<RecorderTarget>& targets,
                    std::string& problem) {
    std::vector<std::string> names;
    for (const QString& host : options.hosts) {
        names.push_back(host.toStdString());
    }
    if (!options.hostsFile.isEmpty()) {
        NameList fromFile;
        if (!ReadHostNames(options.hostsFile.toStdString(), fromFile)) {
            problem = "cannot read the hosts file " + options.hostsFile.toStdString();
            return false;
        }
        for (std::string& name : fromFile) {
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
        }
    }
    for (const QString& device : options.serialDevices) {
        names.push_back(device.toStdString());
    }
    const bool serial = !options.serialDevices.isEmpty();
    for (std::string& name : names) {
        targets.push_back({static_cast<int>(targets.size()), std::move(name), serial});
    }
    if (targets.empty()) {
        problem = "no recorder named: the hosts file holds no names";
        return false;
    }
    return true;
}

// The terminal's size for in-place progress lines; no columns for plain lines.
TextReporter::TerminalSize Terminal() {
    if (isatty(STDOUT_FILENO) == 0) {
        return {};
    }
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        return {80, 24};
    }
    return {size.ws_col, size.ws_row};
}

RecorderLinks RealLinks(const RecorderTarget&) {
    return {std::make_unique<NetLink>(), std::make_unique<SerialLink>()};
}

}  // namespace

int RunUpdate(const UpdateOptions& options) {
    std::vector<RecorderTarget> targets;
    std::string problem;
    if (!CollectTargets(options, targets, problem)) {
        return LocalProblem(problem);
    }
    const std::string path = options.file.toStdString();
    // A file every job would refuse is refused once, before any recorder is reached.
    UpdateFile file;
    if (const Outcome problem = OpenUpdateFile(file, path); problem != Outcome::Succeeded) {
        return LocalProblem(path + ": " + ShownMessage({problem}));
    }
    file.Close();
    SecretText password;
    if (const PasswordResult read = ReadPassword(options.passwordFile, password); !read.ok) {
        return LocalProblem(read.error);
    }
    UpdateRequest request;
    // The recorder gets the file's own name behind its folder, as from the window.
    request.file = {path, QFileInfo(options.file).fileName().toStdString()};
    request.updateCode = options.updateCode;
    request.port = options.port;
    request.baud = options.baud;
    request.timeoutMs = static_cast<std::uint32_t>(std::lround(options.timeoutSeconds * 1000));

    std::unique_ptr<Reporter> reporter;
    if (options.json) {
        reporter = std::make_unique<JsonReporter>(std::cout);
    } else {
        reporter = std::make_unique<TextReporter>(std::cout, Terminal());
    }
    SteadyTickClock clock;
    Fleet fleet(std::move(targets), std::move(request), password, options.parallel, clock,
                RealLinks, *reporter, [](int status) { QCoreApplication::exit(status); });
    const InterruptWatch interrupts([&fleet] { fleet.Abort(); });
    fleet.Run();
    return QCoreApplication::exec();
}

}  // namespace trelvo
