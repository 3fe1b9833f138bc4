#include "names/system_hosts_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace trelvo {
namespace {

TEST(HostsFileInSystemDirectory, AppendsTheFoldersAndTheName) {
    struct Case {
        const char* systemDirectory;
        const char* path;
    };
    const Case cases[] = {
        {"C:\\Windows\\system32", "C:\\Windows\\system32\\drivers\\etc\\lmHosts"},
        {"D:\\WINNT\\System32", "D:\\WINNT\\System32\\drivers\\etc\\lmHosts"},
        {"C:\\windows\\system32", "C:\\windows\\system32\\drivers\\etc\\lmHosts"},
        {"", "\\drivers\\etc\\lmHosts"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostsFileInSystemDirectory(c.systemDirectory), c.path) << c.systemDirectory;
    }
}

// Wine's system directory is C:\windows\system32, Windows' the same in
// another case.
TEST(SystemHostsFile, LiesWhereThePlatformKeepsIt) {
#ifdef _WIN32
    std::string path = SystemHostsFile();
    EXPECT_TRUE(path.ends_with("\\drivers\\etc\\lmHosts")) << path;
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_EQ(path, "c:\\windows\\system32\\drivers\\etc\\lmhosts");
#else
    EXPECT_EQ(SystemHostsFile(), "/etc/samba/lmhosts");
#endif
}

}  // namespace
}  // namespace trelvo
