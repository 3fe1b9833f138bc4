#pragma once

#include <ostream>
#include <string>

#include "names/hosts_name_reader.h"

namespace trelvo {

// The names of an lmhosts-style file, read the way the window reads them;
// false when the file cannot be opened.
bool ReadHostNames(const std::string& path, NameList& names);

// `trelvo-cli hosts [PATH]`: every name in file order, one per line, empty
// names as empty lines. Like the window, a missing system file simply means
// no names (status 0); a PATH given on the command line that cannot be read
// is an error (status 2).
int ListHosts(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace trelvo
