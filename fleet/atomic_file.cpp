#include "fleet/atomic_file.h"

#include <random>

#include "text/utf8_path.h"

namespace trelvo {
namespace {

// A name beside the target that no other writer picks: two runs may write
// the same report at once.
std::string TemporaryName(const std::string& path, std::mt19937& random) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name = path + ".";
    for (int digit = 0; digit < 8; ++digit) {
        name += kHex[random() & 0x0F];
    }
    return name + ".tmp";
}

}  // namespace

AtomicFile::~AtomicFile() {
    if (IsOpen()) {
        Close();
        RemoveTemporary();
    }
}

bool AtomicFile::Open() {
    if (IsOpen()) {
        return true;
    }
    if (!Utf8Path(path_)) {
        error_ = "no name a file can have";
        return false;
    }
    std::random_device seed;
    std::mt19937 random(seed());
    // A name taken means another writer's file; a few tries find a free one.
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string name = TemporaryName(path_, random);
        bool exists = false;
        if (CreateNew(name, exists)) {
            temporary_ = std::move(name);
            failed_ = false;
            error_.clear();
            return true;
        }
        if (!exists) {
            return false;
        }
    }
    return false;
}

void AtomicFile::Write(std::string_view bytes) {
    if (IsOpen() && !failed_ && !WriteAll(bytes)) {
        failed_ = true;
    }
}

bool AtomicFile::Commit() {
    if (!IsOpen()) {
        return false;
    }
    if (failed_) {
        Close();
        RemoveTemporary();
        return false;
    }
    if (!FlushAndClose() || !ReplaceTarget()) {
        RemoveTemporary();
        return false;
    }
    return true;
}

}  // namespace trelvo
