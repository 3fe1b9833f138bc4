#include "names/system_hosts_file.h"

namespace trelvo {

// Samba's place for the file on Linux.
std::string SystemHostsFile() {
    return "/etc/samba/lmhosts";
}

}  // namespace trelvo
