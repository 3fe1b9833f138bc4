#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "test_platform.h"

namespace trelvo {

// A fresh directory for one test's files, removed with its content at the end.
class ScratchDir {
public:
    ScratchDir()
        : path_(MakeUniqueFolder(std::filesystem::temp_directory_path(), "trelvo-test-")) {}
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string PathOf(std::string_view name) const { return (path_ / name).string(); }

    // Writes the bytes exactly as given; returns the file's path.
    std::string Write(std::string_view name, std::string_view content) const {
        std::string path = PathOf(name);
        std::ofstream out(path, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + path);
        }
        return path;
    }

private:
    std::filesystem::path path_;
};

}  // namespace trelvo
