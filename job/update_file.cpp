#include "job/update_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

namespace trelvo {

// The type and size are those of the file that was opened, not of whatever
// the name leads to a moment later. Opening without waiting: a FIFO by the
// name would otherwise hold the open until a writer came.
bool UpdateFile::Open(const std::string& name) {
    Close();
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd == -1) {
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(status.st_size);
    return true;
}

void UpdateFile::Use(FileBytes bytes) {
    Close();
    bytes_ = std::move(bytes);
    size_ = bytes_ != nullptr ? bytes_->size() : 0;
}

std::span<const std::uint8_t> UpdateFile::Next(std::size_t count,
                                               std::vector<std::uint8_t>& buffer) {
    if (bytes_ != nullptr) {
        const std::size_t taken = std::min(count, bytes_->size() - offset_);
        const std::span<const std::uint8_t> next(bytes_->data() + offset_, taken);
        offset_ += taken;
        return next;
    }
    if (buffer.size() < count) {
        buffer.resize(count);
    }
    std::size_t done = 0;
    while (fd_ != -1 && done < count) {
        const ssize_t got = ::read(fd_, buffer.data() + done, count - done);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    return {buffer.data(), done};
}

Outcome OpenUpdateFile(UpdateFile& file, const UpdateSource& source) {
    if (source.bytes != nullptr) {
        file.Use(source.bytes);
    } else if (!file.Open(source.path)) {
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
    if (fd_ != -1) {
        ::close(fd_);
        fd_ = -1;
    }
    bytes_.reset();
    offset_ = 0;
    size_ = 0;
}

}  // namespace trelvo
