#include "tools/cli/cli_options.h"

#include <QCommandLineParser>
#include <cmath>

namespace trelvo {
namespace {

const char* const kDescription =
    "Installs an update file on VDX recorders, several at once, with the same engine as the\n"
    "window.\n"
    "\n"
    "Commands:\n"
    "  update [options] FILE   update every recorder named by -H, --hosts-file or --serial\n"
    "  probe [options]         ask each recorder its version and, given a password, check\n"
    "                          access; no file is sent\n"
    "  hosts [PATH]            the recorder names the window would offer, one per line\n"
    "                          (default PATH: /etc/samba/lmhosts)\n"
    "  discover [options] RANGE...\n"
    "                          ask every address of the ranges (192.168.1.0/24 or\n"
    "                          192.168.1.10-192.168.1.40; 65536 at most) its version and\n"
    "                          list the recorders that answered; no password is sent\n"
    "\n"
    "The password comes from --password-file, else from the environment variable\n"
    "TRELVO_PASSWORD, else from a prompt without echo on the terminal; never from the\n"
    "command line. probe checks access only with a password, and without a terminal asks\n"
    "for none. The password and the update code go to the recorders in Windows-1252.\n"
    "Exit status: 0 every recorder updated (probe: passed its checks), 1 at least one\n"
    "failed or was aborted, 2 usage errors and problems found before any connection;\n"
    "discover: 0 a recorder answered, 1 none did.";

struct Options {
    QCommandLineOption help{{"h", "help"}, "Show this help."};
    QCommandLineOption version{"version", "Show the version."};
    QCommandLineOption host{
        {"H", "host"}, "Recorder host name or IPv4 address; repeat for several recorders.", "HOST"};
    QCommandLineOption hostsFile{
        "hosts-file", "Every name of an lmhosts-style file, in file order, empty names skipped.",
        "PATH"};
    QCommandLineOption port{
        {"p", "port"}, QStringLiteral("TCP port (default %1).").arg(UPDATE_PORT), "PORT"};
    QCommandLineOption serial{"serial", "COM1, COM2 or a device path, instead of hosts.", "DEVICE"};
    QCommandLineOption baud{{"b", "baud"},
                            QStringLiteral("Serial rate (default %1).").arg(DEFAULT_SERIAL_BAUD),
                            "RATE"};
    QCommandLineOption code{{"c", "code"}, "Update code.", "CODE"};
    QCommandLineOption passwordFile{
        "password-file", "First line of F is the administrator password ('-': standard input).",
        "F"};
    QCommandLineOption parallel{
        {"j", "parallel"}, "Recorders updated at the same time (default 8).", "N"};
    QCommandLineOption timeout{
        "timeout",
        "Give up on a recorder that does not connect, answer or take the file for this long "
        "(default 30; 0 waits for ever, like the window).",
        "SECONDS"};
    QCommandLineOption resultTimeout{
        "result-timeout",
        "update: give up on the result while the recorder carries out the update after this "
        "long (default 1800; 0 waits for ever).",
        "SECONDS"};
    QCommandLineOption retries{
        "retries",
        "Try a recorder up to N more times, after 1, 2, 4 ... s (at most 30 s), when it could "
        "not be reached, fell silent or hung up before the update was requested (default 0).",
        "N"};
    QCommandLineOption json{"json", "One JSON object per line on standard output."};
    QCommandLineOption skipVersion{
        "skip-version",
        "Leave alone a recorder that reports exactly this version (its text, or its serial "
        "number); repeatable.",
        "TEXT"};
    QCommandLineOption report{
        "report", "update: when the run ends, write one JSON object per recorder to FILE.", "FILE"};
    QCommandLineOption retryFailed{
        "retry-failed",
        "update: the recorders that were not ok in the report FILE, instead of -H, --hosts-file "
        "or --serial.",
        "FILE"};
    // discover only.
    QCommandLineOption hostsOut{
        "hosts-out",
        "discover: write the recorders found to FILE as lmhosts lines, for --hosts-file.", "FILE"};

    // Every option of update and probe; hosts takes none of them.
    QList<QCommandLineOption> RunOptions() const {
        return {host,    hostsFile,    port,        serial,  baud,
                code,    passwordFile, parallel,    timeout, resultTimeout,
                retries, json,         skipVersion, report,  retryFailed};
    }
    QList<QCommandLineOption> UpdateOnly() const {
        return {code, report, retryFailed, resultTimeout};
    }
    // Of the run options, the ones discover takes too.
    QList<QCommandLineOption> DiscoverToo() const { return {port, parallel, timeout, json}; }
};

// A whole decimal number within [low, high], or nothing.
bool ReadInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok || number < low || number > high) {
        return false;
    }
    value = number;
    return true;
}

// Seconds from 0 to a day; beyond that a limit would only hide a typing error.
bool ReadSeconds(const QString& text, double& seconds) {
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0 || number > 86400) {
        return false;
    }
    seconds = number;
    return true;
}

// Port, parallel recorders and time-out, where given; what update, probe
// and discover share.
QString ReadPace(const QCommandLineParser& parser, const Options& o, std::uint16_t& port,
                 int& parallel, double& timeoutSeconds) {
    int number = 0;
    if (parser.isSet(o.port)) {
        if (!ReadInt(parser.value(o.port), 1, 65535, number)) {
            return "--port needs a number from 1 to 65535";
        }
        port = static_cast<std::uint16_t>(number);
    }
    if (parser.isSet(o.parallel) && !ReadInt(parser.value(o.parallel), 1, 100000, parallel)) {
        return "--parallel needs a number of at least 1";
    }
    if (parser.isSet(o.timeout) && !ReadSeconds(parser.value(o.timeout), timeoutSeconds)) {
        return "--timeout needs seconds from 0 to 86400";
    }
    return {};
}

// What update and probe share: the recorders, how to reach them, the
// password, the pace and the output.
QString ReadRun(const QCommandLineParser& parser, const Options& o, UpdateOptions& update) {
    update.hosts = parser.values(o.host);
    update.skipVersions = parser.values(o.skipVersion);
    update.hostsFile = parser.value(o.hostsFile);
    update.serialDevices = parser.values(o.serial);
    const bool named =
        !update.hosts.isEmpty() || parser.isSet(o.hostsFile) || !update.serialDevices.isEmpty();
    if (!update.retryFailed.isEmpty() && named) {
        return "--retry-failed replaces -H, --hosts-file and --serial";
    }
    if (update.retryFailed.isEmpty() && !named) {
        return "name at least one recorder with -H, --hosts-file or --serial";
    }
    if (!update.serialDevices.isEmpty() && (!update.hosts.isEmpty() || parser.isSet(o.hostsFile))) {
        return "--serial replaces -H and --hosts-file";
    }
    if (QString problem = ReadPace(parser, o, update.port, update.parallel, update.timeoutSeconds);
        !problem.isEmpty()) {
        return problem;
    }
    if (parser.isSet(o.baud) && !ReadInt(parser.value(o.baud), 1, 4000000, update.baud)) {
        return "--baud needs a positive rate";
    }
    if (parser.isSet(o.resultTimeout) &&
        !ReadSeconds(parser.value(o.resultTimeout), update.resultTimeoutSeconds)) {
        return "--result-timeout needs seconds from 0 to 86400";
    }
    if (parser.isSet(o.retries) && !ReadInt(parser.value(o.retries), 0, 100, update.retries)) {
        return "--retries needs a number from 0 to 100";
    }
    update.passwordFile = parser.value(o.passwordFile);
    if (parser.isSet(o.passwordFile) && update.passwordFile.isEmpty()) {
        return "--password-file needs a file name or '-'";
    }
    update.json = parser.isSet(o.json);
    return {};
}

QString ReadUpdate(const QCommandLineParser& parser, const Options& o, UpdateOptions& update) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        return "update needs exactly one FILE";
    }
    update.file = positional[1];
    update.updateCode = Secret(parser.value(o.code).toStdString());
    update.reportFile = parser.value(o.report);
    update.retryFailed = parser.value(o.retryFailed);
    for (const QCommandLineOption* named : {&o.report, &o.retryFailed}) {
        if (parser.isSet(*named) && parser.value(*named).isEmpty()) {
            return "--" + named->names().constLast() + " needs a file name";
        }
    }
    return ReadRun(parser, o, update);
}

QString ReadProbe(const QCommandLineParser& parser, const Options& o, UpdateOptions& probe) {
    for (const QCommandLineOption& option : o.UpdateOnly()) {
        if (parser.isSet(option)) {
            return "--" + option.names().constLast() + " belongs to update, not to probe";
        }
    }
    if (parser.positionalArguments().size() != 1) {
        return "probe takes no FILE";
    }
    return ReadRun(parser, o, probe);
}

QString ReadDiscover(const QCommandLineParser& parser, const Options& o,
                     DiscoverOptions& discover) {
    QStringList allowed;
    for (const QCommandLineOption& option : o.DiscoverToo()) {
        allowed += option.names();
    }
    for (const QCommandLineOption& option : o.RunOptions()) {
        if (parser.isSet(option) && !allowed.contains(option.names().constLast())) {
            return "--" + option.names().constLast() +
                   " belongs to update and probe, not to discover";
        }
    }
    discover.ranges = parser.positionalArguments().mid(1);
    if (discover.ranges.isEmpty()) {
        return "discover needs at least one RANGE";
    }
    discover.hostsOut = parser.value(o.hostsOut);
    if (parser.isSet(o.hostsOut) && discover.hostsOut.isEmpty()) {
        return "--hosts-out needs a file name";
    }
    discover.json = parser.isSet(o.json);
    return ReadPace(parser, o, discover.port, discover.parallel, discover.timeoutSeconds);
}

QString ReadHosts(const QCommandLineParser& parser, const Options& o, CliCommand& command) {
    for (const QCommandLineOption& option : o.RunOptions()) {
        if (parser.isSet(option)) {
            return "--" + option.names().constLast() + " belongs to update and probe, not to hosts";
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 2) {
        return "hosts takes at most one PATH";
    }
    command.hostsPath = positional.value(1);
    return {};
}

}  // namespace

ParsedCommandLine ParseCommandLine(const QStringList& arguments) {
    const Options o;
    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.addOptions({o.help, o.version});
    parser.addOptions(o.RunOptions());
    parser.addOption(o.hostsOut);
    parser.addPositionalArgument("command", "update, probe, discover or hosts.",
                                 "update|probe|discover|hosts");
    parser.addPositionalArgument("argument",
                                 "update: the update FILE; discover: each RANGE; hosts: the PATH.",
                                 "FILE|RANGE...|PATH");

    ParsedCommandLine result;
    // The parser names the program by the path it was started with.
    result.help = parser.helpText().replace("Usage: " + arguments.value(0), "Usage: trelvo-cli");
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(o.help) || parser.isSet(o.version)) {
        result.ok = true;
        result.command.kind =
            parser.isSet(o.help) ? CliCommand::Kind::Help : CliCommand::Kind::Version;
        return result;
    }
    const QString verb = parser.positionalArguments().value(0);
    if (verb != "discover" && parser.isSet(o.hostsOut)) {
        result.error = "--hosts-out belongs to discover";
        return result;
    }
    if (verb == "update") {
        result.command.kind = CliCommand::Kind::Update;
        result.error = ReadUpdate(parser, o, result.command.update);
    } else if (verb == "probe") {
        result.command.kind = CliCommand::Kind::Probe;
        result.error = ReadProbe(parser, o, result.command.update);
    } else if (verb == "discover") {
        result.command.kind = CliCommand::Kind::Discover;
        result.error = ReadDiscover(parser, o, result.command.discover);
    } else if (verb == "hosts") {
        result.command.kind = CliCommand::Kind::Hosts;
        result.error = ReadHosts(parser, o, result.command);
    } else {
        result.error = verb.isEmpty()
                           ? "name a command: update, probe, discover or hosts"
                           : "unknown command " + verb + ": use update, probe, discover or hosts";
    }
    result.ok = result.error.isEmpty();
    return result;
}

}  // namespace trelvo
