#pragma once

#include <ostream>
#include <string>

#include "names/hosts_name_reader.h"

namespace trelvo {

// How reading a hosts file went: the names, and when the file cannot be
// opened, is larger than MAX_HOSTS_FILE_BYTES or holds a name no recorder
// can be reached by, what to tell the operator.
struct HostsFileNames {
    NameList names;
    bool opened = false;
    std::string problem;  // empty when every name could be taken
};

// The names of an lmhosts-style file, read the way the window reads them.
HostsFileNames ReadHostNames(const std::string& path);

// `trelvo-cli hosts [PATH]`: every name in file order, one per line, empty
// names as empty lines. Like the window, a missing system file simply means
// no names (status 0); a PATH given on the command line that cannot be
// read, and any file that is too large or holds a name that cannot be
// reached, is an error (status 2).
int ListHosts(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace trelvo
