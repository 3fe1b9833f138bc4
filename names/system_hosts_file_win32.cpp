#include <windows.h>

#include "names/system_hosts_file.h"

namespace trelvo {

std::string SystemHostsFile() {
    char directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    // 0 is a failure; a length beyond the buffer is the size it would need.
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return HostsFileInSystemDirectory(std::string_view(directory, length));
}

}  // namespace trelvo
