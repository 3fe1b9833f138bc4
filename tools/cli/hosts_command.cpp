#include "tools/cli/hosts_command.h"

#include "job/text/terminal_text.h"
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
        out << TerminalSafe(name) << '\n';
    }
    return 0;
}

}  // namespace trelvo
