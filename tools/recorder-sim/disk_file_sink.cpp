#include "tools/recorder-sim/disk_file_sink.h"

#include <cerrno>
#include <cstring>

namespace trelvo {

DiskFileSink::DiskFileSink(std::string destination, std::string temporary)
    : destination_(std::move(destination)), temporary_(std::move(temporary)) {
    file_ = std::fopen(temporary_.c_str(), "wb");
    if (file_ == nullptr) {
        error_ = temporary_ + ": " + std::strerror(errno);
    }
}

DiskFileSink::~DiskFileSink() {
    if (file_ != nullptr) {
        std::fclose(file_);
        std::remove(temporary_.c_str());
    }
}

bool DiskFileSink::Write(std::span<const std::uint8_t> bytes) {
    if (file_ == nullptr) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        Fail("write");
        return false;
    }
    return true;
}

std::optional<std::string> DiskFileSink::Commit() {
    if (file_ == nullptr) {
        return std::nullopt;
    }
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed || std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
        error_ = destination_ + ": " + std::strerror(errno);
        std::remove(temporary_.c_str());
        return std::nullopt;
    }
    return destination_;
}

void DiskFileSink::Fail(const std::string& what) {
    error_ = temporary_ + ": " + what + ": " + std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temporary_.c_str());
}

namespace {

std::string SafeFileName(const std::string& remotePath) {
    std::string name = remotePath.substr(remotePath.rfind('/') + 1);
    for (char& c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        c = keep ? c : '_';
    }
    return name;
}

}  // namespace

SinkFactory MakeSaveSinks(const std::string& savePath, const std::string& saveDir, int connId) {
    const std::string conn = std::to_string(connId);
    if (!savePath.empty()) {
        return [savePath, conn](const std::string&, std::uint32_t) {
            return std::make_unique<DiskFileSink>(savePath, savePath + ".part-" + conn);
        };
    }
    if (!saveDir.empty()) {
        return [saveDir, conn](const std::string& remotePath, std::uint32_t) {
            const std::string path = saveDir + "/conn-" + conn + "-" + SafeFileName(remotePath);
            return std::make_unique<DiskFileSink>(path, path + ".part");
        };
    }
    return {};
}

}  // namespace trelvo
