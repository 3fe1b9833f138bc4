#pragma once

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "scratch_dir.h"

namespace trelvo {

// One test's surroundings: messages in the given language and a fresh
// scratch folder as the working folder, where the job opens update files by
// their bare names. Both are put back when the session ends.
class ScratchSession {
public:
    explicit ScratchSession(const char* messageLocale = "de_DE.UTF-8")
        : savedDir_(std::filesystem::current_path()) {
        if (const char* lcAll = getenv("LC_ALL")) {
            savedLcAll_ = lcAll;
        }
        setenv("LC_ALL", messageLocale, 1);
        std::filesystem::current_path(dir_.path());
    }
    ~ScratchSession() {
        std::error_code ignored;
        std::filesystem::current_path(savedDir_, ignored);
        if (savedLcAll_) {
            setenv("LC_ALL", savedLcAll_->c_str(), 1);
        } else {
            unsetenv("LC_ALL");
        }
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
