#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "job/links.h"
#include "link/send_buffer.h"
#include "link/serial_backend.h"

namespace trelvo {

// A local serial port held by this link alone, on one platform's serial
// calls. What the port will not take at once waits in the link's queue and
// leaves, in order, once the port has room. The job learns of received
// bytes by polling InputCount.
class SerialLink final : public SerialLinkInterface, private SerialBackendEvents {
public:
    using Step = SerialBackend::Step;
    using enum SerialBackend::Step;

    // On this platform's serial ports; defined with its backend.
    SerialLink();
    explicit SerialLink(std::unique_ptr<SerialBackend> backend);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // False only when the device cannot be opened or someone else holds it;
    // a device that refuses the line settings still counts as open. Reads
    // never wait, whatever `waitingReads` says: the job only asks for bytes
    // InputCount has counted.
    bool Open(const std::string& device, int baud, bool waitingReads) override;
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    std::uint32_t InputCount() override;
    // Nothing queued in the link and nothing in the driver.
    bool IsOutputEmpty() override;
    bool HasFailed() const override;
    // Also puts the port's previous settings back.
    void Close() override;

    // The Step bits the open port refused.
    unsigned refusedSteps() const { return refusedSteps_; }

private:
    void WhenRoom() override;
    void Fail();
    void WatchRoom();

    std::unique_ptr<SerialBackend> backend_;
    bool failed_ = false;
    unsigned refusedSteps_ = 0;
    // Bytes the port has not taken yet; the password passes through.
    SendBuffer queue_;
};

}  // namespace trelvo
