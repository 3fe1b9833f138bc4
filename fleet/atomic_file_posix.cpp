#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "fleet/atomic_file.h"

namespace trelvo {
namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

// The folder that holds `path`, for making the rename itself durable.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

// A new file gets the usual rights (0666 less the umask); one that replaces
// a file keeps that file's rights.
bool AtomicFile::CreateNew(const std::string& name, bool& exists) {
    const int file = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (file < 0) {
        exists = errno == EEXIST;
        error_ = Reason(errno);
        return false;
    }
    struct stat target {};
    if (::stat(path_.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
        // Best effort, as a file of another owner keeps its rights only for root.
        (void)::fchmod(file, target.st_mode & 07777);
    }
    handle_ = file;
    return true;
}

bool AtomicFile::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = Reason(errno);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool AtomicFile::FlushAndClose() {
    const bool flushed = ::fsync(static_cast<int>(handle_)) == 0;
    if (!flushed) {
        error_ = Reason(errno);
    }
    const bool closed = ::close(static_cast<int>(handle_)) == 0;
    if (flushed && !closed) {
        error_ = Reason(errno);
    }
    handle_ = kClosed;
    return flushed && closed;
}

void AtomicFile::Close() {
    ::close(static_cast<int>(handle_));
    handle_ = kClosed;
}

bool AtomicFile::ReplaceTarget() {
    if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
        error_ = Reason(errno);
        return false;
    }
    temporary_.clear();
    // The new name reaches the disk with the folder's entry; a failure here
    // leaves the file whole under one name or the other.
    const int folder = ::open(FolderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void AtomicFile::RemoveTemporary() {
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

}  // namespace trelvo
