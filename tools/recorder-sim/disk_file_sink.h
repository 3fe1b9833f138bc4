#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "tools/recorder-sim/recorder_session.h"

namespace trelvo {

// Writes a received file to disk as it arrives, under a temporary name next
// to its destination; only a complete file is renamed into place, so a
// broken transfer never leaves a truncated file where a good one is expected.
class DiskFileSink : public FileSink {
public:
    DiskFileSink(std::string destination, std::string temporary);
    ~DiskFileSink() override;
    DiskFileSink(const DiskFileSink&) = delete;
    DiskFileSink& operator=(const DiskFileSink&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) override;
    std::optional<std::string> Commit() override;
    std::string Error() const override { return error_; }

private:
    void Fail(const std::string& what);

    std::string destination_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    std::string error_;
};

// The sink for one connection's file: `--save PATH` names the file,
// `--save-dir DIR` a folder that gets "conn-ID-NAME", NAME being the last
// part of the remote path with anything but letters, digits, '.', '-' and
// '_' replaced. Nothing to save when both are empty.
SinkFactory MakeSaveSinks(const std::string& savePath, const std::string& saveDir, int connId);

}  // namespace trelvo
