#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/serial_backend.h"

namespace trelvo {

// The name CreateFile needs for a port: a bare device name ("COM1") goes
// into the device namespace ("\\.\COM1"), which also reaches ports above
// COM9; a path is used as it is.
std::string Win32SerialDevicePath(const std::string& device);

// The serial link's port on the Win32 serial-port calls. Nothing waits for
// the line: reads take only what the driver holds, and writes are
// overlapped, one at a time. The system tells nobody when a write has
// finished; the backend sees it whenever the link next asks it anything
// (the job asks on every tick).
class Win32SerialBackend final : public SerialBackend {
public:
    Win32SerialBackend() = default;
    ~Win32SerialBackend() override;
    Win32SerialBackend(const Win32SerialBackend&) = delete;
    Win32SerialBackend& operator=(const Win32SerialBackend&) = delete;

    void SetEvents(SerialBackendEvents& events) override { events_ = &events; }
    bool Open(const std::string& device, int baud, const StepNote& note) override;
    bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE; }
    // Takes every byte while no write is under way, and none while one is.
    int Write(const std::uint8_t* bytes, int count) override;
    void WatchRoom(bool on) override { roomWatched_ = on; }
    // Room is there once the write under way has finished.
    void CheckRoom() override;
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    std::uint32_t InputCount() override;
    bool OutputDrained() override;
    // A write has failed.
    bool HasFailed() const override { return failed_; }
    void Close() override;

private:
    // One overlapped transfer; the system may write into it until it has
    // finished, so it lives on its own and outlives a Close if it must.
    struct Transfer {
        OVERLAPPED overlapped{};
        std::vector<std::uint8_t> bytes;
        bool Finished() const { return HasOverlappedIoCompleted(&overlapped); }
    };
    enum class Progress { Done, UnderWay, Failed };

    Progress Finish(Transfer& transfer, DWORD& count);
    bool FinishWrite();
    void Abandon(std::unique_ptr<Transfer> transfer);
    void ReleaseFinished();
    struct LineStatus {
        std::uint32_t input = 0;
        std::uint32_t output = 0;
    };
    LineStatus Status();

    SerialBackendEvents* events_ = nullptr;
    HANDLE port_ = INVALID_HANDLE_VALUE;
    bool failed_ = false;
    bool roomWatched_ = false;
    std::optional<DCB> savedSettings_;
    std::unique_ptr<Transfer> writing_;
    // Transfers cancelled by Close that the system has not finished with.
    std::vector<std::unique_ptr<Transfer>> abandoned_;
};

}  // namespace trelvo
