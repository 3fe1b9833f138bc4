#include "tools/cli/hosts_command.h"

#include "job/text/terminal_text.h"
#include "job/text/windows1252_text.h"
#include "names/system_hosts_file.h"

namespace trelvo {

bool ReadHostNames(const std::string& path, NameList& names) {
    HostsNameReader reader;
    reader.BuildTable();
    if (!reader.ParseFile(path)) {
        return false;
    }
    names = reader.names();
    return true;
}

int ListHosts(const std::string& path, std::ostream& out, std::ostream& err) {
    NameList names;
    if (!ReadHostNames(path.empty() ? SystemHostsFile() : path, names) && !path.empty()) {
        err << "trelvo-cli: cannot read the hosts file " << path << '\n';
        return 2;
    }
    for (const std::string& name : names) {
        // The file's names are Windows-1252; the terminal reads UTF-8.
        out << TerminalSafe(Windows1252ToUtf8(name)) << '\n';
    }
    return 0;
}

}  // namespace trelvo
