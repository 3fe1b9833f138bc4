#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trelvo {

// Why a name gave no file to read.
enum class FileProblem : std::int32_t {
    None,
    Missing,       // nothing by that name
    NoPermission,  // it may not be read
    Folder,
    Pipe,        // a named pipe or a socket
    Device,      // a character or block device
    Unreadable,  // any other failure
};

// A regular file opened for reading, byte for byte (no text-mode
// translation), sized in 64 bits. While it is open others may read it but
// neither write nor delete it where the platform can refuse that. A plain
// handle and nothing else: a fleet holds thousands of these open at once.
// One implementation per platform; names are UTF-8.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile() { Close(); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // False when the name does not lead to a readable regular file: a
    // folder, a device or a pipe is none. Never waits for a writer.
    bool Open(const std::string& name);
    // Why the last Open failed; None after one that succeeded.
    FileProblem problem() const { return problem_; }
    void Close();
    bool IsOpen() const { return handle_ != kClosed; }
    // The size of the file that was opened, taken when it was opened.
    std::uint64_t Size() const { return size_; }
    // Up to `count` bytes; fewer at the end of the file, none on an error.
    std::size_t Read(std::uint8_t* buffer, std::size_t count);

private:
    // A descriptor or a handle; -1 is neither.
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    std::uint64_t size_ = 0;
    FileProblem problem_ = FileProblem::None;
};

}  // namespace trelvo
