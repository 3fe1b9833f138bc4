#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trelvo {

// A file written whole or not at all: the bytes go to a new file beside
// the target, which is flushed to the disk and only then renamed over the
// target, so a crash or a failed write leaves the old file or none, never
// half of one. The temporary file never outlives the writer. The name is
// UTF-8; the system's calls are one file per platform.
class AtomicFile {
public:
    explicit AtomicFile(std::string path) : path_(std::move(path)) {}
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Makes the temporary file, so that a folder that takes no file is
    // found out before anything is written. False, with error(), when it
    // cannot be made.
    bool Open();
    bool IsOpen() const { return handle_ != kClosed; }

    // Appends to the temporary file. A failure is kept, and fails Commit.
    void Write(std::string_view bytes);

    // Replaces the target with what was written. False, with error(), when
    // any step failed; the target is then as it was. The temporary file is
    // gone either way.
    bool Commit();

    // Empty until something failed; else the system's reason.
    const std::string& error() const { return error_; }

private:
    static constexpr std::intptr_t kClosed = -1;

    // The system's side, in atomic_file_posix.cpp and atomic_file_win32.cpp.
    // Each sets error_ when it fails. CreateNew refuses a name that exists,
    // and says so in `exists`.
    bool CreateNew(const std::string& name, bool& exists);
    bool WriteAll(std::string_view bytes);
    // Closes the file also when the flush fails.
    bool FlushAndClose();
    void Close();
    bool ReplaceTarget();
    void RemoveTemporary();

    std::string path_;
    std::string temporary_;
    std::intptr_t handle_ = kClosed;
    bool failed_ = false;
    std::string error_;
};

}  // namespace trelvo
