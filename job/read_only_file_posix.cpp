#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "job/read_only_file.h"

namespace trelvo {
namespace {

FileProblem ProblemOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return FileProblem::Missing;
        case EACCES:
        case EPERM:
            return FileProblem::NoPermission;
        case ENXIO:  // a socket
            return FileProblem::Pipe;
        default:
            return FileProblem::Unreadable;
    }
}

}  // namespace

// The type and size are those of the file that was opened, not of whatever
// the name leads to a moment later. Opening without waiting: a FIFO by the
// name would otherwise hold the open until a writer came. POSIX has no share
// modes, so others keep every right to the file.
bool ReadOnlyFile::Open(const std::string& name) {
    Close();
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd == -1) {
        problem_ = ProblemOf(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const mode_t mode = status.st_mode;
        problem_ = mode == 0                          ? FileProblem::Unreadable
                   : S_ISDIR(mode)                    ? FileProblem::Folder
                   : S_ISFIFO(mode) || S_ISSOCK(mode) ? FileProblem::Pipe
                                                      : FileProblem::Device;
        ::close(fd);
        return false;
    }
    problem_ = FileProblem::None;
    handle_ = fd;
    size_ = static_cast<std::uint64_t>(status.st_size);
    return true;
}

void ReadOnlyFile::Close() {
    if (handle_ != kClosed) {
        ::close(static_cast<int>(handle_));
        handle_ = kClosed;
    }
    size_ = 0;
}

std::size_t ReadOnlyFile::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (handle_ != kClosed && done < count) {
        const ssize_t got = ::read(static_cast<int>(handle_), buffer + done, count - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return done;
}

}  // namespace trelvo
