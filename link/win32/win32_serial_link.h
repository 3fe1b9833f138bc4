#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "job/links.h"

namespace trelvo {

// The name CreateFile needs for a port: a bare device name ("COM1") goes
// into the device namespace ("\\.\COM1"), which also reaches ports above
// COM9; a path is used as it is.
std::string Win32SerialDevicePath(const std::string& device);

// A local serial port held by this link alone, at the given rate with 8
// data bits, no parity, one stop bit, RTS/CTS handshake and DTR off. Nothing
// waits for the line: reads take only what the driver holds, and writes are
// overlapped; the link sees a write finish whenever the job next asks it
// anything (the job asks on every tick). The job learns of received bytes
// by polling InputCount.
class Win32SerialLink final : public SerialLinkInterface {
public:
    // Steps of Open that a device may refuse without Open failing.
    enum Step : unsigned {
        kSaveSettings = 1U << 0,  // the settings Close puts back
        kLineSettings = 1U << 1,
        kTimeouts = 1U << 2,
        kPurge = 1U << 3,
    };

    Win32SerialLink() = default;
    ~Win32SerialLink() override;
    Win32SerialLink(const Win32SerialLink&) = delete;
    Win32SerialLink& operator=(const Win32SerialLink&) = delete;

    // Fails only when the port cannot be had; `waitingReads` changes nothing.
    bool Open(const std::string& device, int baud, bool waitingReads) override;
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    std::uint32_t InputCount() override;
    // A driver that cannot tell its output count counts as empty.
    bool IsOutputEmpty() override;
    bool HasFailed() const override { return failed_; }
    // Also puts the port's previous settings back.
    void Close() override;

    // The Step bits the open port refused.
    unsigned refusedSteps() const { return refusedSteps_; }

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
    void CheckWrite();
    void StartWrite();
    void Fail();
    void Abandon(std::unique_ptr<Transfer> transfer);
    void ReleaseFinished();
    struct LineStatus {
        std::uint32_t input = 0;
        std::uint32_t output = 0;
    };
    LineStatus Status();

    HANDLE port_ = INVALID_HANDLE_VALUE;
    bool failed_ = false;
    unsigned refusedSteps_ = 0;
    std::optional<DCB> savedSettings_;
    // Bytes waiting for the write under way to finish.
    std::vector<std::uint8_t> queue_;
    std::unique_ptr<Transfer> writing_;
    // Transfers cancelled by Close that the system has not finished with.
    std::vector<std::unique_ptr<Transfer>> abandoned_;
};

}  // namespace trelvo
