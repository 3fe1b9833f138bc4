#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace trelvo {

// The update file the job streams. Only regular files count:
// a folder or a device is not an update file.
class UpdateFile {
public:
    // False when the name does not lead to a readable regular file.
    bool Open(const std::string& name);
    void Close();
    bool IsOpen() const { return stream_.is_open(); }

    // Reads the next `count` bytes; returns how many arrived, which is fewer
    // at the end of the file or on a read error.
    std::size_t Read(std::uint8_t* buffer, std::size_t count);

    // Size in bytes, taken when the file was opened.
    std::uint64_t Size() const { return size_; }

private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

}  // namespace trelvo
