#include "names/system_hosts_file.h"

namespace trelvo {

std::string HostsFileInSystemDirectory(std::string_view systemDirectory) {
    return std::string(systemDirectory) + "\\drivers\\etc\\lmHosts";
}

}  // namespace trelvo
