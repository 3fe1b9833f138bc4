#include "tools/cli/update_command.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

#include "digest/sha256.h"
#include "fleet/fleet.h"
#include "fleet/json_reporter.h"
#include "fleet/report_file.h"
#include "fleet/text_reporter.h"
#include "fleet/update_file_read.h"
#include "job/update_job.h"
#include "names/host_name.h"
#include "text/operator_text.h"
#include "text/terminal_text.h"
#include "tools/cli/console.h"
#include "tools/cli/hosts_command.h"
#include "tools/cli/interrupt_watch.h"
#include "tools/cli/password_source.h"
#include "tools/cli/platform_loop.h"

namespace trelvo {
namespace {

int LocalProblem(const std::string& text) {
    std::cerr << "trelvo-cli: " << text << '\n';
    return 2;
}

// The recorders in command-line order: -H names, then the hosts file's, or
// the serial lines. Host names are held as a hosts file holds them, in
// Windows-1252, so a name typed after `hosts` printed it is the same name.
bool CollectTargets(const UpdateOptions& options, std::vector<RecorderTarget>& targets,
                    std::string& problem) {
    std::vector<std::string> names;
    for (const std::string& text : options.hosts) {
        std::optional<std::string> name = OperatorTextBytes(text);
        const NameProblem nameProblem =
            name ? CheckHostName(*name) : NameProblem{CheckOperatorText(text)};
        if (!nameProblem.none()) {
            problem = "-H " + TerminalSafe(ShownNameStart(text)) + " " +
                      std::string(NameProblemText(nameProblem));
            return false;
        }
        // Refused here too, so a run of several recorders does not start.
        if (IsBlankHost(*name)) {
            problem = "-H needs a recorder's name or address, not a blank";
            return false;
        }
        names.push_back(std::move(*name));
    }
    if (!options.hostsFile.empty()) {
        HostsFileNames fromFile = ReadHostNames(options.hostsFile);
        if (!fromFile.problem.empty()) {
            problem = fromFile.problem;
            return false;
        }
        for (std::string& name : fromFile.names) {
            if (!name.empty()) {
                names.push_back(std::move(name));
            }
        }
    }
    names.insert(names.end(), options.serialDevices.begin(), options.serialDevices.end());
    const bool serial = !options.serialDevices.empty();
    for (std::string& name : names) {
        targets.push_back({static_cast<int>(targets.size()), std::move(name), serial});
    }
    if (targets.empty()) {
        problem = "no recorder named: the hosts file holds no names";
        return false;
    }
    return true;
}

// The file's own name, without its folder: after the last slash, and on
// Windows also after a backslash or a drive's colon.
std::string FileNameOf(const std::string& path) {
#ifdef _WIN32
    const std::size_t folderEnd = path.find_last_of("/\\:");
#else
    const std::size_t folderEnd = path.rfind('/');
#endif
    return folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
}

// What the name leads to instead of a file to send.
std::string_view ProblemText(FileProblem problem) {
    switch (problem) {
        case FileProblem::None:
            break;
        case FileProblem::Missing:
            return "there is no such file";
        case FileProblem::NoPermission:
            return "it may not be read";
        case FileProblem::Folder:
            return "it is a folder";
        case FileProblem::Pipe:
            return "it is a pipe or a socket, not a file";
        case FileProblem::Device:
            return "it is a device, not a file";
        case FileProblem::Unreadable:
            return "it cannot be opened";
    }
    return {};
}

// The update file, refused once here if every job would refuse it, and its
// digest; `source.bytes` holds it when it is small enough to share.
bool CheckUpdateFile(UpdateSource& source, std::string& sha256, std::string& problem) {
    CheckedUpdateFile checked = ReadUpdateFile(source.path);
    if (checked.opened != Outcome::Succeeded) {
        problem = source.path + ": " + ShownMessage({checked.opened});
        if (const std::string_view why = ProblemText(checked.problem); !why.empty()) {
            problem += " (" + std::string(why) + ")";
        }
        return false;
    }
    if (!checked.sha256) {
        problem = "cannot read " + source.path;
        return false;
    }
    sha256 = *checked.sha256;
    source.bytes = std::move(checked.bytes);
    return true;
}

// Password, update code and versions to skip, as the recorders read them.
bool PrepareTexts(const UpdateOptions& options, bool probe, Secret& password,
                  UpdateRequest& request, std::string& problem) {
    if (const PasswordResult read = ReadPassword(options.passwordFile, password); !read.ok) {
        // A probe without a password checks versions only; one that was
        // named but cannot be read is still an error.
        if (!probe || !options.passwordFile.empty()) {
            problem = read.error;
            return false;
        }
    }
    if (const TextRefusal refusal = ToOperatorTextBytes(password); refusal != TextRefusal::None) {
        problem = "the password " + std::string(TextRefusalText(refusal));
        return false;
    }
    request.updateCode = Secret(std::string(options.updateCode.text()));
    if (const TextRefusal refusal = ToOperatorTextBytes(request.updateCode);
        refusal != TextRefusal::None) {
        problem = "the update code " + std::string(TextRefusalText(refusal));
        return false;
    }
    for (const std::string& text : options.skipVersions) {
        const std::optional<std::string> bytes = OperatorTextBytes(text);
        if (!bytes) {
            problem = "--skip-version " + TerminalSafe(text) + " " +
                      std::string(TextRefusalText(CheckOperatorText(text)));
            return false;
        }
        request.skipVersions.push_back(*bytes);
    }
    if (options.expectVersion) {
        const std::string& text = *options.expectVersion;
        request.expectVersion = OperatorTextBytes(text);
        if (!request.expectVersion) {
            problem = "--expect-version " + TerminalSafe(text) + " " +
                      std::string(TextRefusalText(CheckOperatorText(text)));
            return false;
        }
    }
    return true;
}

std::uint32_t Milliseconds(double seconds) {
    return static_cast<std::uint32_t>(std::lround(seconds * 1000));
}

// Update and probe alike: everything that can be checked is checked before
// any connection (status 2), then every recorder runs on the event loop.
int RunRecorders(const UpdateOptions& options, bool probe) {
    std::string problem;
    RunFacts facts;
    UpdateRequest request;
    const std::string& path = options.file;
    if (!probe) {
        // The recorder gets the file's own name behind its folder, as from
        // the window, in the code page it reads.
        const std::string fileName = FileNameOf(options.file);
        const std::optional<std::string> remoteName = OperatorTextBytes(fileName);
        if (!remoteName) {
            return LocalProblem("the update file's name " + TerminalSafe(fileName) + " " +
                                std::string(TextRefusalText(CheckOperatorText(fileName))));
        }
        request.file = {path, *remoteName, {}};
        if (!CheckUpdateFile(request.file, facts.sha256, problem)) {
            return LocalProblem(problem);
        }
        if (!options.sha256.empty() && facts.sha256 != options.sha256) {
            return LocalProblem(path + ": the file's SHA-256 is " + facts.sha256 +
                                ", not the expected " + options.sha256);
        }
    }
    std::vector<RecorderTarget> targets;
    if (!options.retryFailed.empty()) {
        if (!ReadRetryTargets(options.retryFailed, facts.sha256, targets, problem)) {
            return LocalProblem(problem);
        }
        if (targets.empty()) {
            std::cout << "every recorder of " << options.retryFailed << " was ok\n";
            return 0;
        }
    } else if (!CollectTargets(options, targets, problem)) {
        return LocalProblem(problem);
    }
    // Made before the password is asked for, so a folder that cannot be
    // written is refused before the operator types anything.
    std::unique_ptr<ReportFile> reportFile;
    if (!options.reportFile.empty()) {
        reportFile = std::make_unique<ReportFile>(options.reportFile, facts);
        if (!reportFile->Open()) {
            return LocalProblem(reportFile->problem());
        }
    }
    Secret password;
    if (!PrepareTexts(options, probe, password, request, problem)) {
        return LocalProblem(problem);
    }
    facts.goal = !probe             ? JobGoal::Update
                 : password.empty() ? JobGoal::ProbeVersion
                                    : JobGoal::ProbeAccess;
    request.goal = facts.goal;
    request.port = options.port;
    request.baud = options.baud;
    request.timeoutMs = Milliseconds(options.timeoutSeconds);
    request.resultTimeoutMs = Milliseconds(options.resultTimeoutSeconds);
    request.retries = options.retries;
    request.verifyTimeoutMs = Milliseconds(options.verifySeconds);
    facts.expectVersion = request.expectVersion;

    ReporterList reporters;
    if (options.json) {
        reporters.Add(std::make_unique<JsonReporter>(std::cout, facts));
    } else {
        reporters.Add(std::make_unique<TextReporter>(std::cout, OutputTerminal(), facts));
    }
    ReportFile* report = reportFile.get();
    if (reportFile) {
        reporters.Add(std::move(reportFile));
    }
    PlatformEventLoop loop;
    PlatformTickClock clock;
    Fleet fleet(std::move(targets), std::move(request), password, options.parallel, loop, clock,
                RealRecorderLinks, reporters, [&loop](int status) { loop.Quit(status); });
    const InterruptWatch interrupts(loop, [&fleet] { fleet.Abort(); });
    fleet.Run();
    const int status = loop.Run();
    if (report != nullptr && !report->problem().empty()) {
        std::cerr << "trelvo-cli: " << report->problem() << '\n';
        return std::max(status, 1);
    }
    return status;
}

}  // namespace

int RunUpdate(const UpdateOptions& options) {
    return RunRecorders(options, false);
}

int RunProbe(const UpdateOptions& options) {
    return RunRecorders(options, true);
}

}  // namespace trelvo
