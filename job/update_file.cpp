#include "job/update_file.h"

#include <filesystem>
#include <limits>
#include <system_error>

namespace trelvo {

bool UpdateFile::Open(const std::string& name) {
    Close();
    std::error_code error;
    if (!std::filesystem::is_regular_file(name, error)) {
        return false;
    }
    stream_.open(name, std::ios::binary);
    if (!stream_.is_open()) {
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(name, error);
    if (error) {
        Close();
        return false;
    }
    size_ = size;
    return true;
}

std::size_t UpdateFile::Read(std::uint8_t* buffer, std::size_t count) {
    stream_.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(stream_.gcount());
}

Outcome OpenUpdateFile(UpdateFile& file, const std::string& path) {
    if (!file.Open(path)) {
        return Outcome::FileNotFound;
    }
    Outcome problem = Outcome::Succeeded;
    if (file.Size() == 0) {
        problem = Outcome::FileEmpty;
    } else if (file.Size() > std::numeric_limits<std::uint32_t>::max()) {
        problem = Outcome::FileTooLarge;
    }
    if (problem != Outcome::Succeeded) {
        file.Close();
    }
    return problem;
}

void UpdateFile::Close() {
    if (stream_.is_open()) {
        stream_.close();
    }
    stream_.clear();
    size_ = 0;
}

}  // namespace trelvo
