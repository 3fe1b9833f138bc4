#include <stdlib.h>
#include <sys/stat.h>

#include <iterator>
#include <stdexcept>

#include "test_platform.h"

namespace trelvo {

void SetTestEnvironment(const char* name, const std::optional<std::string>& value) {
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

std::filesystem::path MakeUniqueFolder(const std::filesystem::path& parent,
                                       const std::string& prefix) {
    std::string pattern = (parent / (prefix + "XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a folder in " + parent.string());
    }
    return pattern;
}

long OpenDescriptorCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator{});
}

bool MakeFifo(const std::string& path) {
    return mkfifo(path.c_str(), 0600) == 0;
}

void ResizeTestFile(const std::filesystem::path& path, std::uint64_t size) {
    std::filesystem::resize_file(path, size);
}

}  // namespace trelvo
