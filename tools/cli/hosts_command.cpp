#include "tools/cli/hosts_command.h"

#include "names/system_hosts_file.h"
#include "text/terminal_text.h"

namespace trelvo {

HostsFileNames ReadHostNames(const std::string& path) {
    HostsNameReader reader;
    reader.BuildTable();
    const TableTokenizer::ParseEnd end = reader.ReadFile(path);
    HostsFileNames read{reader.names(), end != TableTokenizer::ParseEnd::CannotOpen, {}};
    if (!read.opened) {
        read.problem = "cannot read the hosts file " + path;
    } else if (end == TableTokenizer::ParseEnd::TooLarge) {
        read.problem = "the hosts file " + path + " is larger than " +
                       std::to_string(MAX_HOSTS_FILE_BYTES >> 20) +
                       " MiB, more than a hosts file holds";
    } else if (!reader.refused().empty()) {
        const RefusedName& first = reader.refused().front();
        read.problem = "the hosts file " + path + " names \"" +
                       TerminalSafeWindows1252(first.start) + "\", which " +
                       std::string(NameProblemText(first.problem));
    }
    return read;
}

int ListHosts(const std::string& path, std::ostream& out, std::ostream& err) {
    const HostsFileNames read = ReadHostNames(path.empty() ? SystemHostsFile() : path);
    if (!read.problem.empty() && (read.opened || !path.empty())) {
        err << "trelvo-cli: " << read.problem << '\n';
        return 2;
    }
    for (const std::string& name : read.names) {
        // The file's names are Windows-1252; the terminal reads UTF-8.
        out << TerminalSafeWindows1252(name) << '\n';
    }
    return 0;
}

}  // namespace trelvo
