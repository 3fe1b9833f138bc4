#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "scratch_dir.h"
#include "test_platform.h"

namespace trelvo {

// One test's surroundings: messages in the given language and a fresh
// scratch folder as the working folder, where the job opens update files by
// their bare names. Both are put back when the session ends.
class ScratchSession {
public:
    explicit ScratchSession(const char* messageLocale = "de_DE.UTF-8")
        : savedDir_(std::filesystem::current_path()) {
        if (const char* lcAll = std::getenv("LC_ALL")) {
            savedLcAll_ = lcAll;
        }
        SetTestEnvironment("LC_ALL", messageLocale);
        std::filesystem::current_path(dir_.path());
    }
    ~ScratchSession() {
        std::error_code ignored;
        std::filesystem::current_path(savedDir_, ignored);
        SetTestEnvironment("LC_ALL", savedLcAll_);
    }
    ScratchSession(const ScratchSession&) = delete;
    ScratchSession& operator=(const ScratchSession&) = delete;

    const ScratchDir& dir() const { return dir_; }

private:
    ScratchDir dir_;
    std::filesystem::path savedDir_;
    std::optional<std::string> savedLcAll_;
};

}  // namespace trelvo
