#pragma once

#include <string>
#include <string_view>

namespace trelvo {

// Where the system keeps its lmhosts file: /etc/samba/lmhosts on Linux, the
// system directory's drivers\etc\lmHosts on Windows. Empty when the system
// does not say where its directory lies; such a path reads as no names.
std::string SystemHostsFile();

// The lmHosts file inside a Windows system directory ("C:\Windows\system32").
std::string HostsFileInSystemDirectory(std::string_view systemDirectory);

}  // namespace trelvo
