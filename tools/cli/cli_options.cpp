#include "tools/cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

#include "digest/sha256.h"

namespace trelvo {
namespace {

#ifdef _WIN32
constexpr const char* kSystemHostsFile = R"(%SystemRoot%\System32\drivers\etc\lmhosts)";
#else
constexpr const char* kSystemHostsFile = "/etc/samba/lmhosts";
#endif

const char* const kFooter =
    "The password comes from --password-file, else from the environment variable\n"
    "TRELVO_PASSWORD, else from a prompt without echo on the terminal; never from the\n"
    "command line. probe checks access only with a password, and without a terminal asks\n"
    "for none. The password and the update code go to the recorders in Windows-1252.\n"
    "Exit status: 0 every recorder updated (probe: passed its checks), 1 at least one\n"
    "failed or was aborted, 2 usage errors and problems found before any connection;\n"
    "discover: 0 a recorder answered, 1 none did.";

// The commands an option belongs to.
enum Commands : unsigned {
    kUpdate = 1,
    kProbe = 2,
    kDiscover = 4,
    kRun = kUpdate | kProbe,
    kEvery = kRun | kDiscover,
};

enum class Id {
    Host,
    HostsFile,
    Port,
    Serial,
    Baud,
    Code,
    PasswordFile,
    Parallel,
    Timeout,
    ResultTimeout,
    Retries,
    Json,
    SkipVersion,
    Report,
    RetryFailed,
    Sha256,
    ExpectVersion,
    VerifyTimeout,
    HostsOut,
};

struct OptionSpec {
    Id id;
    const char* names;  // as CLI11 takes them; the long name last
    const char* value;  // nullptr for a flag
    std::string what;
    unsigned commands;
};

const std::vector<OptionSpec>& Specs() {
    static const std::vector<OptionSpec> specs = {
        {Id::Host, "-H,--host", "HOST",
         "Recorder host name or IPv4 address; repeat for several recorders.", kRun},
        {Id::HostsFile, "--hosts-file", "PATH",
         "Every name of an lmhosts-style file, in file order, empty names skipped.", kRun},
        {Id::Port, "-p,--port", "PORT", "TCP port (default " + std::to_string(UPDATE_PORT) + ").",
         kEvery},
        {Id::Serial, "-S,--serial", "DEVICE",
         "COM1, COM2 ... or a device path, instead of hosts; repeat for several lines.", kRun},
        {Id::Baud, "-b,--baud", "RATE",
         "Serial rate (default " + std::to_string(DEFAULT_SERIAL_BAUD) + ").", kRun},
        {Id::Code, "-c,--code", "CODE", "Update code.", kUpdate},
        {Id::PasswordFile, "--password-file", "F",
         "First line of F is the administrator password ('-': standard input).", kRun},
        {Id::Parallel, "-j,--parallel", "N",
         "Recorders at the same time (default 8; discover: 256).", kEvery},
        {Id::Timeout, "--timeout", "SECONDS",
         "Give up on a recorder that does not connect, answer or take the file for this long "
         "(default 30, discover: 1; 0 waits for ever, like the window).",
         kEvery},
        {Id::ResultTimeout, "--result-timeout", "SECONDS",
         "Give up on the result while the recorder carries out the update after this long "
         "(default 1800; 0 waits for ever).",
         kUpdate},
        {Id::Retries, "--retries", "N",
         "Try a recorder up to N more times, after 1, 2, 4 ... s (at most 30 s), when it could "
         "not be reached, fell silent or hung up before the update was requested (default 0).",
         kRun},
        {Id::Json, "--json", nullptr, "One JSON object per line on standard output.", kEvery},
        {Id::SkipVersion, "--skip-version", "TEXT",
         "Leave alone a recorder that reports exactly this version (its text, or its serial "
         "number); repeatable.",
         kRun},
        {Id::Report, "--report", "FILE",
         "When the run ends, write one JSON object per recorder to FILE.", kUpdate},
        {Id::RetryFailed, "--retry-failed", "FILE",
         "The recorders that were not ok in the report FILE, instead of -H, --hosts-file or "
         "--serial.",
         kUpdate},
        {Id::Sha256, "--sha256", "HEX",
         "Send the file only if its SHA-256 is HEX (64 hexadecimal digits).", kUpdate},
        {Id::ExpectVersion, "--expect-version", "TEXT",
         "After a recorder reports success, ask it its version every 5 s until it reports TEXT "
         "(verified) or --verify-timeout has passed (not-verified, a failure).",
         kUpdate},
        {Id::VerifyTimeout, "--verify-timeout", "SECONDS",
         "How long a recorder has for that (default 600; 0 waits for ever).", kUpdate},
        {Id::HostsOut, "--hosts-out", "FILE",
         "Write the recorders found to FILE as lmhosts lines, for --hosts-file.", kDiscover},
    };
    return specs;
}

std::string LongName(const OptionSpec& spec) {
    const std::string_view names = spec.names;
    return std::string(names.substr(names.rfind(',') + 1));
}

// "update", "update and probe", "update, probe and discover".
std::string CommandList(unsigned commands) {
    std::vector<std::string> names;
    for (const auto& [bit, name] : {std::pair{kUpdate, "update"}, std::pair{kProbe, "probe"},
                                    std::pair{kDiscover, "discover"}}) {
        if ((commands & bit) != 0) {
            names.emplace_back(name);
        }
    }
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return list;
}

// What the command line gave each option, in order; a flag's values are
// empty strings, one per use.
using Given = std::map<Id, std::vector<std::string>>;

struct Command {
    CLI::App* app = nullptr;
    unsigned bit = 0;  // 0 for hosts, which takes none of the options
    std::vector<std::string> positional;
    Given given;
};

bool IsSet(const Given& given, Id id) {
    return given.contains(id);
}

// The last value, as most options count only once.
std::string Value(const Given& given, Id id) {
    const auto found = given.find(id);
    return found == given.end() ? std::string() : found->second.back();
}

std::vector<std::string> Values(const Given& given, Id id) {
    const auto found = given.find(id);
    return found == given.end() ? std::vector<std::string>() : found->second;
}

// A whole decimal number within [low, high], or nothing.
bool ReadInt(const std::string& text, int low, int high, int& value) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end || number < low || number > high) {
        return false;
    }
    value = number;
    return true;
}

// Seconds from 0 to a day; beyond that a limit would only hide a typing error.
bool ReadSeconds(const std::string& text, double& seconds) {
    double number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(number) ||
        number < 0 || number > 86400) {
        return false;
    }
    seconds = number;
    return true;
}

// Port, parallel recorders and time-out, where given; what update, probe
// and discover share.
std::string ReadPace(const Given& given, std::uint16_t& port, int& parallel,
                     double& timeoutSeconds) {
    int number = 0;
    if (IsSet(given, Id::Port)) {
        if (!ReadInt(Value(given, Id::Port), 1, 65535, number)) {
            return "--port needs a number from 1 to 65535";
        }
        port = static_cast<std::uint16_t>(number);
    }
    if (IsSet(given, Id::Parallel) && !ReadInt(Value(given, Id::Parallel), 1, 100000, parallel)) {
        return "--parallel needs a number of at least 1";
    }
    if (IsSet(given, Id::Timeout) && !ReadSeconds(Value(given, Id::Timeout), timeoutSeconds)) {
        return "--timeout needs seconds from 0 to 86400";
    }
    return {};
}

// What update and probe share: the recorders, how to reach them, the
// password, the pace and the output.
std::string ReadRun(const Given& given, UpdateOptions& update) {
    update.hosts = Values(given, Id::Host);
    update.skipVersions = Values(given, Id::SkipVersion);
    update.hostsFile = Value(given, Id::HostsFile);
    update.serialDevices = Values(given, Id::Serial);
    const bool hostsFile = IsSet(given, Id::HostsFile);
    const bool named = !update.hosts.empty() || hostsFile || !update.serialDevices.empty();
    if (!update.retryFailed.empty() && named) {
        return "--retry-failed replaces -H, --hosts-file and --serial";
    }
    if (update.retryFailed.empty() && !named) {
        return "name at least one recorder with -H, --hosts-file or --serial";
    }
    if (!update.serialDevices.empty() && (!update.hosts.empty() || hostsFile)) {
        return "--serial replaces -H and --hosts-file";
    }
    if (std::string problem = ReadPace(given, update.port, update.parallel, update.timeoutSeconds);
        !problem.empty()) {
        return problem;
    }
    if (IsSet(given, Id::Baud) && !ReadInt(Value(given, Id::Baud), 1, 4000000, update.baud)) {
        return "--baud needs a positive rate";
    }
    if (IsSet(given, Id::ResultTimeout) &&
        !ReadSeconds(Value(given, Id::ResultTimeout), update.resultTimeoutSeconds)) {
        return "--result-timeout needs seconds from 0 to 86400";
    }
    if (IsSet(given, Id::Retries) && !ReadInt(Value(given, Id::Retries), 0, 100, update.retries)) {
        return "--retries needs a number from 0 to 100";
    }
    update.passwordFile = Value(given, Id::PasswordFile);
    if (IsSet(given, Id::PasswordFile) && update.passwordFile.empty()) {
        return "--password-file needs a file name or '-'";
    }
    update.json = IsSet(given, Id::Json);
    return {};
}

// The file's digest and the version to see after the update.
std::string ReadCheck(const Given& given, UpdateOptions& update) {
    if (IsSet(given, Id::Sha256)) {
        const std::optional<std::string> digest = ReadSha256Hex(Value(given, Id::Sha256));
        if (!digest) {
            return "--sha256 needs the file's SHA-256 as 64 hexadecimal digits";
        }
        update.sha256 = *digest;
    }
    if (IsSet(given, Id::ExpectVersion)) {
        update.expectVersion = Value(given, Id::ExpectVersion);
        if (update.expectVersion->empty()) {
            return "--expect-version needs the version the recorders are to report";
        }
    }
    if (IsSet(given, Id::VerifyTimeout)) {
        if (!update.expectVersion) {
            return "--verify-timeout goes with --expect-version";
        }
        if (!ReadSeconds(Value(given, Id::VerifyTimeout), update.verifySeconds)) {
            return "--verify-timeout needs seconds from 0 to 86400";
        }
    }
    return {};
}

std::string ReadUpdate(const Command& command, UpdateOptions& update) {
    if (command.positional.size() != 1) {
        return "update needs exactly one FILE";
    }
    update.file = command.positional.front();
    update.updateCode = Secret(Value(command.given, Id::Code));
    update.reportFile = Value(command.given, Id::Report);
    update.retryFailed = Value(command.given, Id::RetryFailed);
    for (const Id id : {Id::Report, Id::RetryFailed}) {
        if (IsSet(command.given, id) && Value(command.given, id).empty()) {
            return (id == Id::Report ? "--report" : "--retry-failed") +
                   std::string(" needs a file name");
        }
    }
    if (std::string problem = ReadCheck(command.given, update); !problem.empty()) {
        return problem;
    }
    return ReadRun(command.given, update);
}

std::string ReadProbe(const Command& command, UpdateOptions& probe) {
    return ReadRun(command.given, probe);
}

std::string ReadDiscover(const Command& command, DiscoverOptions& discover) {
    discover.ranges = command.positional;
    if (discover.ranges.empty()) {
        return "discover needs at least one RANGE";
    }
    discover.hostsOut = Value(command.given, Id::HostsOut);
    if (IsSet(command.given, Id::HostsOut) && discover.hostsOut.empty()) {
        return "--hosts-out needs a file name";
    }
    discover.json = IsSet(command.given, Id::Json);
    return ReadPace(command.given, discover.port, discover.parallel, discover.timeoutSeconds);
}

std::string ReadHosts(const Command& command, std::string& path) {
    if (command.positional.size() > 1) {
        return "hosts takes at most one PATH";
    }
    path = command.positional.empty() ? std::string() : command.positional.front();
    return {};
}

// An argument the command does not take: another command's option is named
// as such, so the operator learns where it belongs.
std::string Unexpected(const std::string& argument, const std::string& command) {
    const std::string name = argument.substr(0, argument.find('='));
    for (const OptionSpec& spec : Specs()) {
        std::stringstream names(spec.names);
        for (std::string alias; std::getline(names, alias, ',');) {
            if (alias == name) {
                return "--" + LongName(spec).substr(2) + " belongs to " +
                       CommandList(spec.commands) + ", not to " + command;
            }
        }
    }
    if (name.size() > 1 && name.front() == '-') {
        return "unknown option " + name + " for " + command;
    }
    // Only probe has no place for a word of its own.
    return command + " takes no FILE";
}

// One parser per command, each with the options of its own.
class Parser {
public:
    Parser() {
        app_.description(
            "Installs an update file on VDX recorders, several at once, with the "
            "same engine as the window.");
        app_.footer(kFooter);
        app_.set_help_flag("-h,--help", "Show this help, of every command.");
        app_.add_flag("--version", version_, "Show the version.");
        // A path such as /tmp/update.sh is a path, on Windows too; set before
        // the commands, which take it over.
        app_.allow_windows_style_options(false);
        app_.require_subcommand(0, 1);
        app_.allow_extras();
        Add("update", kUpdate, "FILE", "The update file.",
            "Update every recorder named by -H, --hosts-file or --serial.");
        Add("probe", kProbe, nullptr, "",
            "Ask each recorder its version and, given a password, check access; no file is "
            "sent.");
        Add("discover", kDiscover, "RANGE", "192.168.1.0/24 or 192.168.1.10-192.168.1.40.",
            "Ask every address of the ranges (65536 at most) its version and list the recorders "
            "that answered; no password is sent.");
        Add("hosts", 0, "PATH",
            std::string("An lmhosts-style file (default: ") + kSystemHostsFile + ").",
            "The recorder names the window would offer, one per line.");
    }

    ParsedCommandLine Parse(const std::vector<std::string>& arguments) {
        ParsedCommandLine result;
        result.help = app_.help("", CLI::AppFormatMode::All);
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
        try {
            app_.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            // After a command, its own help; else that of every command.
            if (const auto named =
                    arguments.empty() ? commands_.end() : commands_.find(arguments.front());
                named != commands_.end()) {
                result.help = named->second.app->help();
            }
            result.ok = true;
            result.command.kind = CliCommand::Kind::Help;
            return result;
        } catch (const CLI::ParseError& error) {
            result.error = error.what();
            return result;
        }
        Command* chosen = Chosen();
        if (version_) {
            result.ok = true;
            result.command.kind = CliCommand::Kind::Version;
            return result;
        }
        if (const std::vector<std::string> extras = app_.remaining();
            chosen == nullptr || !extras.empty()) {
            if (chosen != nullptr) {
                result.error = "the options follow the command: trelvo-cli " +
                               chosen->app->get_name() + " " + extras.front() + " ...";
            } else if (extras.empty()) {
                result.error = "name a command: update, probe, discover or hosts";
            } else if (extras.front().starts_with('-')) {
                result.error =
                    "name a command before the options: update, probe, discover or "
                    "hosts";
            } else {
                result.error =
                    "unknown command " + extras.front() + ": use update, probe, discover or hosts";
            }
            return result;
        }
        result.help = chosen->app->help();
        const std::string name = chosen->app->get_name();
        std::vector<std::string> extras = chosen->app->remaining();
        // CLI11 keeps the "--" that ends the options among the extras; what
        // follows it has gone to FILE or the RANGEs.
        if (const auto mark = std::find(extras.begin(), extras.end(), "--"); mark != extras.end()) {
            extras.erase(mark);
        }
        if (!extras.empty()) {
            result.error = Unexpected(extras.front(), name);
            return result;
        }
        CliCommand& command = result.command;
        if (name == "update") {
            command.kind = CliCommand::Kind::Update;
            result.error = ReadUpdate(*chosen, command.update);
        } else if (name == "probe") {
            command.kind = CliCommand::Kind::Probe;
            result.error = ReadProbe(*chosen, command.update);
        } else if (name == "discover") {
            command.kind = CliCommand::Kind::Discover;
            result.error = ReadDiscover(*chosen, command.discover);
        } else {
            command.kind = CliCommand::Kind::Hosts;
            result.error = ReadHosts(*chosen, command.hostsPath);
        }
        result.ok = result.error.empty();
        return result;
    }

private:
    void Add(const char* name, unsigned bit, const char* positional, const std::string& what,
             const char* description) {
        Command& command = commands_[name];
        command.bit = bit;
        command.app = app_.add_subcommand(name, description);
        command.app->set_help_flag("-h,--help", "Show this help.");
        // The password and exit statuses belong to the help of every command.
        command.app->footer("");
        // Other commands' options are named as such afterwards.
        command.app->allow_extras();
        // Every value is read afterwards, so a number's message is ours.
        for (const OptionSpec& spec : Specs()) {
            if ((spec.commands & bit) == 0) {
                continue;
            }
            std::vector<std::string>& values = command.given[spec.id];
            CLI::Option* option =
                spec.value == nullptr
                    ? command.app->add_flag_callback(
                          spec.names, [&values] { values.emplace_back(); }, spec.what)
                    : command.app->add_option(spec.names, values, spec.what)
                          ->type_name(spec.value)
                          ->allow_extra_args(false)
                          ->expected(1)
                          ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
            if (spec.value == nullptr) {
                option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
            }
        }
        if (positional != nullptr) {
            command.app->add_option(positional, command.positional, what)->type_name("");
        }
    }

    // The command given, its unset options removed from what it was given.
    Command* Chosen() {
        for (auto& [name, command] : commands_) {
            if (command.app->parsed()) {
                std::erase_if(command.given,
                              [](const auto& entry) { return entry.second.empty(); });
                return &command;
            }
        }
        return nullptr;
    }

    CLI::App app_{"", "trelvo-cli"};
    bool version_ = false;
    std::map<std::string, Command> commands_;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    Parser parser;
    return parser.Parse(arguments);
}

}  // namespace trelvo
