#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/job_outcome.h"

namespace trelvo {

// The update file the job streams. Only regular files count:
// a folder or a device is not an update file. A plain descriptor: a fleet
// holds thousands of these open at once.
class UpdateFile {
public:
    UpdateFile() = default;
    ~UpdateFile() { Close(); }
    UpdateFile(const UpdateFile&) = delete;
    UpdateFile& operator=(const UpdateFile&) = delete;

    // False when the name does not lead to a readable regular file.
    bool Open(const std::string& name);
    void Close();
    bool IsOpen() const { return fd_ != -1; }

    // Reads the next `count` bytes; returns how many arrived, which is fewer
    // at the end of the file or on a read error.
    std::size_t Read(std::uint8_t* buffer, std::size_t count);

    // Size in bytes, taken when the file was opened.
    std::uint64_t Size() const { return size_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Opens `path` as the update file of a job: Succeeded, or why the file will
// not do (not found, empty, or too large for the 32-bit size the recorder is
// told), in which case `file` is left closed.
Outcome OpenUpdateFile(UpdateFile& file, const std::string& path);

}  // namespace trelvo
