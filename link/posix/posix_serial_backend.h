#pragma once

#include <termios.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "link/posix/readiness_hub.h"
#include "link/serial_backend.h"

namespace trelvo {

// Bytes the driver of the port behind `fd` still holds for output (TIOCOUTQ);
// 0 when it cannot say.
std::uint32_t DriverOutputCount(int fd);

// The serial link's port on termios, in raw 8N1 with RTS/CTS handshake and
// DTR off. The port is non-blocking; room is reported through the thread's
// event loop.
class PosixSerialBackend final : public SerialBackend {
public:
    // How the backend asks the driver for its output count; tests replace it.
    using OutputCount = std::function<std::uint32_t(int fd)>;

    explicit PosixSerialBackend(OutputCount outputCount = DriverOutputCount);
    ~PosixSerialBackend() override;
    PosixSerialBackend(const PosixSerialBackend&) = delete;
    PosixSerialBackend& operator=(const PosixSerialBackend&) = delete;

    void SetEvents(SerialBackendEvents& events) override { events_ = &events; }
    bool Open(const std::string& device, int baud, const StepNote& note) override;
    bool IsOpen() const override { return fd_ >= 0; }
    // A full driver (EAGAIN) only means waiting; any other error (EIO after
    // a hang-up, an adapter that is gone) ends the line.
    int Write(const std::uint8_t* bytes, int count) override;
    void WatchRoom(bool on) override { watch_.WatchWrites(on); }
    // The event loop reports room.
    void CheckRoom() override {}
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    std::uint32_t InputCount() override;
    bool OutputDrained() override { return outputCount_(fd_) == 0; }
    // Asks the driver each time whether the line has hung up (a pseudo-
    // terminal's other side closed, an adapter gone).
    bool HasFailed() const override;
    void Close() override;

private:
    OutputCount outputCount_;
    SerialBackendEvents* events_ = nullptr;
    int fd_ = -1;
    std::optional<termios> savedSettings_;
    ReadinessWatch watch_;
};

}  // namespace trelvo
