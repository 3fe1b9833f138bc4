#pragma once

#include <cstdint>
#include <string>

#include "job/links.h"

namespace trelvo {

// A local serial port held by this link alone, in raw 8N1 with RTS/CTS
// handshake and DTR off. All I/O is synchronous on the caller's thread; the
// job learns of received bytes by polling InputCount.
class SerialLink final : public SerialLinkInterface {
public:
    SerialLink() = default;
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // False only when the device cannot be opened or someone else holds it;
    // a device that refuses the line settings still counts as open.
    bool Open(const std::string& device, int baud, bool waitingReads) override;
    // No time-out: under CTS flow control this waits as long as the recorder holds CTS off.
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    // 0 when closed or when the driver cannot say.
    std::uint32_t InputCount() override;
    // Also true when the driver cannot say, so that a transfer never stalls on the question.
    bool IsOutputEmpty() override;
    bool HasFailed() const override { return failed_; }
    void Close() override;

private:
    int fd_ = -1;
    bool waitingReads_ = true;
    bool failed_ = false;
};

}  // namespace trelvo
