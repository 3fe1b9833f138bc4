#include "tools/recorder-sim/sim_options.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <utility>

#include "text/windows1252_text.h"

namespace trelvo {
namespace {

template <typename Number>
std::optional<Number> ReadNumber(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

// "ADDR:PORT" with an IPv4 address; the address itself is checked on bind.
bool ReadListen(std::string_view text, SimOptions& options) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) {
        return false;
    }
    const auto port = ReadNumber<std::uint16_t>(text.substr(colon + 1));
    if (!port) {
        return false;
    }
    options.listenAddress = std::string(text.substr(0, colon));
    options.listenPort = *port;
    return true;
}

template <typename Number>
bool SetNumber(std::string_view text, Number& field) {
    const std::optional<Number> number = ReadNumber<Number>(text);
    field = number.value_or(field);
    return number.has_value();
}

bool SetCount(std::string_view text, std::optional<std::uint64_t>& field) {
    field = ReadNumber<std::uint64_t>(text);
    return field.has_value();
}

// Texts typed in UTF-8, held as a recorder holds them: in Windows-1252. Any
// text, even an empty one, is something a recorder might be set up with, as
// long as the code page can carry it.
bool SetRecorderText(std::string_view text, std::string& field,
                     Unassigned unassigned = Unassigned::Refuse) {
    const std::optional<std::string> bytes = Utf8ToWindows1252(text, unassigned);
    // A NUL would end the text on the wire: no recorder holds one.
    if (!bytes || bytes->find('\0') != std::string::npos) {
        return false;
    }
    field = *bytes;
    return true;
}

bool SetHangUpStep(std::string_view text, std::optional<HangUpStep>& field) {
    constexpr std::pair<std::string_view, HangUpStep> kSteps[] = {
        {"version", HangUpStep::Version},       {"password", HangUpStep::Password},
        {"descriptor", HangUpStep::Descriptor}, {"file", HangUpStep::File},
        {"execute", HangUpStep::Execute},       {"result", HangUpStep::Result},
    };
    for (const auto& [name, step] : kSteps) {
        if (text == name) {
            field = step;
            return true;
        }
    }
    return false;
}

bool SetPath(std::string_view text, std::string& field) {
    field = text;
    return !text.empty();
}

// An option with a value; `set` stores it and says whether it fits.
struct ValueOption {
    std::string_view name;
    bool (*set)(std::string_view value, SimOptions& options);
};

constexpr ValueOption kValueOptions[] = {
    {"--listen", ReadListen},
    {"--version-text",
     [](std::string_view v, SimOptions& o) {
         // A misbehaving recorder may send any byte: C1 controls stand for
         // the bytes Windows-1252 leaves unassigned.
         return SetRecorderText(v, o.behaviour.versionText, Unassigned::FromC1Controls);
     }},
    {"--version-number",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.behaviour.versionNumber); }},
    {"--password",
     [](std::string_view v, SimOptions& o) { return SetRecorderText(v, o.behaviour.password); }},
    {"--update-code",
     [](std::string_view v, SimOptions& o) {
         return SetRecorderText(v, o.behaviour.updateCode.emplace());
     }},
    {"--access",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.behaviour.access); }},
    {"--transfer-status",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.behaviour.transferStatus); }},
    {"--result-status",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.behaviour.resultStatus); }},
    {"--delay-ms", [](std::string_view v, SimOptions& o) { return SetNumber(v, o.delayMs); }},
    {"--babble-ms", [](std::string_view v, SimOptions& o) { return SetNumber(v, o.babbleMs); }},
    {"--version-pad-to",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.versionPadTo); }},
    {"--silent-after",
     [](std::string_view v, SimOptions& o) { return SetCount(v, o.silentAfter); }},
    {"--close-after-bytes",
     [](std::string_view v, SimOptions& o) { return SetCount(v, o.closeAfterBytes); }},
    {"--stop-reading-after",
     [](std::string_view v, SimOptions& o) { return SetCount(v, o.stopReadingAfter); }},
    {"--hang-up-at",
     [](std::string_view v, SimOptions& o) { return SetHangUpStep(v, o.behaviour.hangUpAt); }},
    {"--refuse-first",
     [](std::string_view v, SimOptions& o) { return SetNumber(v, o.refuseFirst); }},
    {"--version-after-update",
     [](std::string_view v, SimOptions& o) {
         o.versionNumberAfterUpdate = ReadNumber<std::uint32_t>(v);
         return SetRecorderText(v, o.versionAfterUpdate.emplace());
     }},
    {"--restart-seconds",
     [](std::string_view v, SimOptions& o) {
         return SetNumber(v, o.restartSeconds) && o.restartSeconds > 0;
     }},
    {"--save", [](std::string_view v, SimOptions& o) { return SetPath(v, o.savePath); }},
    {"--save-dir", [](std::string_view v, SimOptions& o) { return SetPath(v, o.saveDir); }},
};

const ValueOption* FindValueOption(std::string_view name) {
    for (const ValueOption& option : kValueOptions) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

bool* Flag(std::string_view name, SimOptions& options) {
    if (name == "--pty") {
        return &options.pty;
    }
    if (name == "--reset") {
        return &options.reset;
    }
    if (name == "--once") {
        return &options.once;
    }
    if (name == "--quiet") {
        return &options.quiet;
    }
    if (name == "--trace") {
        return &options.trace;
    }
    if (name == "--help" || name == "-h") {
        return &options.help;
    }
    return nullptr;
}

std::string CheckCombination(const SimOptions& options, bool listenGiven) {
    if (options.pty &&
        (listenGiven || options.reset || options.refuseFirst != 0 || options.restartSeconds != 0)) {
        return "--pty serves one serial line: --listen, --reset, --refuse-first and "
               "--restart-seconds do not apply";
    }
    // A serial recorder reports its version as a number only.
    if (options.pty && options.versionAfterUpdate && !options.versionNumberAfterUpdate) {
        return "with --pty, --version-after-update takes a version number";
    }
    const bool hangsUp = options.closeAfterBytes || options.behaviour.hangUpAt;
    if (options.reset && !hangsUp) {
        return "--reset needs --close-after-bytes or --hang-up-at";
    }
    // A delayed reply would still be waiting when the connection goes.
    if (options.behaviour.hangUpAt && options.delayMs != 0) {
        return "--hang-up-at and --delay-ms do not go together";
    }
    if (!options.savePath.empty() && !options.saveDir.empty()) {
        return "give --save or --save-dir, not both";
    }
    return "";
}

}  // namespace

ParsedOptions ParseSimOptions(std::span<const std::string_view> args) {
    SimOptions options;
    bool listenGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (bool* flag = Flag(name, options); flag != nullptr && !value) {
            *flag = true;
            continue;
        }
        const ValueOption* option = FindValueOption(name);
        if (option == nullptr) {
            return {std::nullopt, "unknown option " + std::string(args[i])};
        }
        if (!value) {
            if (i + 1 == args.size()) {
                return {std::nullopt, std::string(name) + " needs a value"};
            }
            value = args[++i];
        }
        if (!option->set(*value, options)) {
            return {std::nullopt,
                    "bad value for " + std::string(name) + ": " + std::string(*value)};
        }
        listenGiven = listenGiven || name == "--listen";
    }
    if (std::string problem = CheckCombination(options, listenGiven); !problem.empty()) {
        return {std::nullopt, std::move(problem)};
    }
    std::string& version = options.behaviour.versionText;
    version.resize(std::max<std::size_t>(version.size(), options.versionPadTo), 'x');
    return {std::move(options), {}};
}

std::string SimHelpText(std::string_view program) {
    std::string text = "usage: " + std::string(program) + " [OPTION]...\n";
    text += R"(
Imitates a VDX recorder for the update protocol: answers the version query,
the password, the file descriptor with the file bytes after it, and the
execute request. Serves many TCP connections at once, or one serial line on
a pseudo-terminal.

On stdout, each line flushed at once:
  listening on ADDR:PORT               (TCP, once the socket listens)
  serial device /dev/pts/N             (--pty, once the line is raw)
  conn ID: file received SIZE bytes sha256=HEX
On stderr: one line per request ("conn ID: ..."), malformed requests and
connection ends. The password is never written out.

Where to serve:
  --listen ADDR:PORT      IPv4 address and port (default 127.0.0.1:30000;
                          port 0 picks a free one)
  --pty                   serve a new pseudo-terminal instead of TCP
What the recorder answers:
  --version-text TEXT     version text of network replies (default 2.0.60);
                          U+0081 and the like give the bytes Windows-1252
                          leaves unassigned
  --version-number N      version number of serial replies (default 20070)
  --password TEXT         the expected password (default admin)
  --update-code TEXT      the expected update code (default: any code);
                          another code gets status 3
                          (texts are given in UTF-8 and held in Windows-1252,
                          as recorders hold them; a NUL is refused)
  --access N              access value for the right password (default 3,
                          administrator); a wrong password gets 0
  --transfer-status N     status of the reply after the file (default 1)
  --result-status N       status of the reply to execute (default 1)
Misbehaving on purpose:
  --delay-ms N            wait N ms before each reply
  --silent-after N        after N replies on a connection, read on but
                          never answer again
  --babble-ms N           answer nothing, but send a zero byte every N ms,
                          bytes that never make a reply
  --version-pad-to N      pad the version text with "x" to N bytes
  --close-after-bytes N   close a connection (--pty: hang the line up)
                          once it has sent N bytes
  --hang-up-at STEP       close a connection (--pty: hang the line up) at
                          STEP: version, password, descriptor or execute
                          (on taking that request, without answering it),
                          file (once the first file bytes are in) or result
                          (right after the reply to execute)
  --reset                 with --close-after-bytes or --hang-up-at: reset
                          (RST) instead of an orderly close
  --refuse-first N        reset the first N connections as soon as they are
                          accepted, as a recorder still starting up
After an update that succeeded:
  --version-after-update TEXT
                          report TEXT as the version from then on (serial
                          replies: as their number, so with --pty TEXT is
                          a decimal number)
  --restart-seconds N     drop every connection once the reply to execute
                          has gone out, and refuse connects for N seconds
                          (nothing listens), as a recorder restarting
  --stop-reading-after N  stop reading a connection or the line once it has
                          sent N bytes, as a recorder holding CTS off
Keeping the file:
  --save PATH             write each completely received file to PATH
  --save-dir DIR          write each connection's file to
                          DIR/conn-ID-NAME (NAME from the remote path)
Running:
  --once                  exit when the first connection ends (--pty: after
                          the first execute reply); exit status 0 when that
                          update succeeded, else 1
  --quiet                 no per-request lines on stderr
  --trace                 on stdout, with the milliseconds since the start:
                          "conn ID: file bytes N at MS ms" whenever file
                          bytes arrive (N so far), "conn ID: cut off at MS ms"
                          when a connection is closed by --close-after-bytes
  --help                  this text

A malformed request (lead, magic, status, checksum, record layout or body
length wrong) is logged; the connection is then closed, or on the serial
line the bytes are dropped. Exit status 2 for a bad command line or when
the socket or pseudo-terminal cannot be set up.
)";
    return text;
}

}  // namespace trelvo
