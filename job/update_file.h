#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "job/job_outcome.h"
#include "job/read_only_file.h"

namespace trelvo {

// An update file's whole contents, read once and shared by the jobs of a
// fleet, which then stream the same bytes without a read of their own.
using FileBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// What a job sends: the file at `path`, or its `bytes` when they were read
// already, and the name the recorder is told it is called. The window passes
// one bare name for both.
struct UpdateSource {
    std::string path;
    std::string remoteName;
    FileBytes bytes;
};

// The update file the job streams: read from the disk, or bytes read before.
// Only regular files count: a folder or a device is not an update file.
class UpdateFile {
public:
    UpdateFile() = default;
    ~UpdateFile() { Close(); }
    UpdateFile(const UpdateFile&) = delete;
    UpdateFile& operator=(const UpdateFile&) = delete;

    // False when the name does not lead to a readable regular file.
    bool Open(const std::string& name);
    // Why the last Open failed.
    FileProblem problem() const { return file_.problem(); }
    // Streams bytes read before, which need no descriptor.
    void Use(FileBytes bytes);
    void Close();
    bool IsOpen() const { return file_.IsOpen() || bytes_ != nullptr; }

    // The next `count` bytes: a view of the shared bytes, or read from the
    // file into `buffer`. Fewer at the end of the file or on a read error.
    std::span<const std::uint8_t> Next(std::size_t count, std::vector<std::uint8_t>& buffer);

    // Size in bytes, taken when the file was opened.
    std::uint64_t Size() const { return size_; }

private:
    ReadOnlyFile file_;
    FileBytes bytes_;
    std::size_t offset_ = 0;  // into bytes_
    std::uint64_t size_ = 0;
};

// Opens the update file of a job: Succeeded, or why the file will not do
// (not found, empty, or too large for the 32-bit size the recorder is told),
// in which case `file` is left closed.
Outcome OpenUpdateFile(UpdateFile& file, const UpdateSource& source);

}  // namespace trelvo
