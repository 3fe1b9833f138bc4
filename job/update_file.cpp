#include "job/update_file.h"

#include <algorithm>
#include <limits>

namespace trelvo {

bool UpdateFile::Open(const std::string& name) {
    Close();
    if (!file_.Open(name)) {
        return false;
    }
    size_ = file_.Size();
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
    const std::size_t done = file_.Read(buffer.data(), count);
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
    file_.Close();
    bytes_.reset();
    offset_ = 0;
    size_ = 0;
}

}  // namespace trelvo
