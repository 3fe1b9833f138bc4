#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "job/links.h"
#include "link/posix/readiness_hub.h"
#include "link/send_buffer.h"

namespace trelvo {

// Bytes the driver of the port behind `fd` still holds for output (TIOCOUTQ);
// 0 when it cannot say.
std::uint32_t DriverOutputCount(int fd);

// A local serial port held by this link alone, in raw 8N1 with RTS/CTS
// handshake and DTR off. The port is non-blocking: what the driver will not
// take at once waits in the link's queue and leaves when the port reports
// room, which takes the thread's Qt event loop. The job learns of received
// bytes by polling InputCount.
class SerialLink final : public SerialLinkInterface {
public:
    // How the link asks the driver for its output count; tests replace it.
    using OutputCount = std::function<std::uint32_t(int fd)>;

    // Steps of Open that a device may refuse without Open failing.
    enum Step : unsigned {
        kExclusive = 1U << 0,     // TIOCEXCL
        kSaveSettings = 1U << 1,  // the settings Close puts back
        kLineSettings = 1U << 2,
        kLineRate = 1U << 3,
        kDtrOff = 1U << 4,
        kPurge = 1U << 5,
    };

    explicit SerialLink(OutputCount outputCount = DriverOutputCount);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // False only when the device cannot be opened or someone else holds it;
    // a device that refuses the line settings still counts as open. Reads
    // never wait, whatever `waitingReads` says: the job only asks for bytes
    // InputCount has counted.
    bool Open(const std::string& device, int baud, bool waitingReads) override;
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override;
    // What a non-blocking read delivers, up to `count`; 0 on failure.
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    // 0 when closed or when the driver cannot say.
    std::uint32_t InputCount() override;
    // Nothing queued in the link and nothing in the driver; a driver that
    // cannot say counts as empty, so that a transfer never stalls on the question.
    bool IsOutputEmpty() override;
    // Asks the driver each time whether the line has hung up (a pseudo-
    // terminal's other side closed, an adapter gone).
    bool HasFailed() const override;
    // Restores the settings the port had before Open.
    void Close() override;

    // The Step bits the open port refused.
    unsigned refusedSteps() const { return refusedSteps_; }

private:
    std::size_t WriteNow(const std::uint8_t* bytes, std::size_t count);
    void WhenWritable();
    void Fail();
    void WatchWrites();

    OutputCount outputCount_;
    int fd_ = -1;
    bool failed_ = false;
    unsigned refusedSteps_ = 0;
    std::optional<termios> savedSettings_;
    // Bytes the driver has not taken yet; the password passes through.
    SendBuffer queue_;
    // Writes are watched only while bytes wait: a port with room is writable
    // all the time.
    ReadinessWatch watch_;
};

}  // namespace trelvo
