#include "link/win32/win32_serial_backend.h"

#include <algorithm>

#include "link/serial_link.h"
#include "text/secure_wipe.h"

namespace trelvo {
namespace {

// The fixed line: the given rate, 8N1, raw bytes, output held while the
// recorder drops CTS, RTS raised while the input has room, DTR off, no
// XON/XOFF. Everything not named stays zero.
DCB LineSettings(int baud) {
    DCB settings{};
    settings.DCBlength = sizeof settings;
    settings.BaudRate = static_cast<DWORD>(baud);
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fOutxCtsFlow = TRUE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_HANDSHAKE;
    return settings;
}

// Reads return at once with what the driver holds; writes have no time-out.
constexpr COMMTIMEOUTS kReadsAtOnce{MAXDWORD, 0, 0, 0, 0};

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

void Wipe(std::vector<std::uint8_t>& bytes) {
    SecureWipe(bytes.data(), bytes.size());
    bytes.clear();
}

}  // namespace

std::string Win32SerialDevicePath(const std::string& device) {
    if (device.empty() || device.find_first_of("\\/:") != std::string::npos) {
        return device;
    }
    return "\\\\.\\" + device;
}

SerialLink::SerialLink() : SerialLink(std::make_unique<Win32SerialBackend>()) {}

Win32SerialBackend::~Win32SerialBackend() {
    Close();
    // The system may still write into these; they are left to it.
    for (std::unique_ptr<Transfer>& transfer : abandoned_) {
        static_cast<void>(transfer.release());
    }
}

bool Win32SerialBackend::Open(const std::string& device, int baud, const StepNote& note) {
    // No sharing: a port another program holds cannot be opened.
    port_ = CreateFileA(Win32SerialDevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    failed_ = false;
    DCB before{};
    before.DCBlength = sizeof before;
    const bool saved = GetCommState(port_, &before) != FALSE;
    note(kSaveSettings, saved);
    if (saved) {
        savedSettings_ = before;
    }
    // A rate of 0 or below is never applied; the port keeps its settings.
    DCB settings = LineSettings(baud);
    note(kLineSettings, baud > 0 && SetCommState(port_, &settings) != FALSE);
    COMMTIMEOUTS timeouts = kReadsAtOnce;
    note(kTimeouts, SetCommTimeouts(port_, &timeouts) != FALSE);
    note(kPurge, PurgeComm(port_, PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE);
    return true;
}

// The one place that asks the system why an overlapped call did not finish.
Win32SerialBackend::Progress Win32SerialBackend::Finish(Transfer& transfer, DWORD& count) {
    if (GetOverlappedResult(port_, &transfer.overlapped, &count, FALSE) != FALSE) {
        return Progress::Done;
    }
    const DWORD error = GetLastError();
    return error == ERROR_IO_INCOMPLETE || error == ERROR_IO_PENDING ? Progress::UnderWay
                                                                     : Progress::Failed;
}

// Hands the bytes to the driver in one overlapped write.
int Win32SerialBackend::Write(const std::uint8_t* bytes, int count) {
    if (!FinishWrite()) {
        return -1;
    }
    if (writing_ != nullptr) {
        return 0;
    }
    writing_ = std::make_unique<Transfer>();
    writing_->bytes.assign(bytes, bytes + count);
    WriteFile(port_, writing_->bytes.data(), static_cast<DWORD>(writing_->bytes.size()), nullptr,
              &writing_->overlapped);
    // Whether it finished at once, is under way or was refused, the
    // overlapped record says.
    return FinishWrite() ? count : -1;
}

// Lets go of the write under way once it has finished; false once the line
// has failed.
bool Win32SerialBackend::FinishWrite() {
    if (failed_) {
        return false;
    }
    if (writing_ == nullptr) {
        return true;
    }
    DWORD written = 0;
    const Progress progress = Finish(*writing_, written);
    if (progress == Progress::UnderWay) {
        return true;
    }
    // A write without time-out ends only once the driver has taken every
    // byte, unless the line has failed (adapter gone, hang-up).
    if (progress == Progress::Failed || written != writing_->bytes.size()) {
        failed_ = true;
        Abandon(std::move(writing_));
        return false;
    }
    Wipe(writing_->bytes);
    writing_.reset();
    return true;
}

void Win32SerialBackend::CheckRoom() {
    FinishWrite();
    // A failed line is reported as room too: the write it takes then fails.
    if (roomWatched_ && writing_ == nullptr) {
        events_->WhenRoom();
    }
}

std::uint32_t Win32SerialBackend::Read(std::uint8_t* buffer, std::uint32_t count) {
    const std::uint32_t waiting = std::min(count, Status().input);
    if (waiting == 0) {
        return 0;
    }
    auto reading = std::make_unique<Transfer>();
    reading->bytes.resize(waiting);
    ReadFile(port_, reading->bytes.data(), waiting, nullptr, &reading->overlapped);
    DWORD got = 0;
    const Progress progress = Finish(*reading, got);
    if (progress == Progress::UnderWay) {
        // Only what the driver counted was asked for, so this should not
        // happen; the read must not outlive the caller's buffer either way.
        CancelIoEx(port_, &reading->overlapped);
        Abandon(std::move(reading));
        return 0;
    }
    if (progress == Progress::Failed) {
        return 0;
    }
    std::copy_n(reading->bytes.data(), got, buffer);
    return got;
}

Win32SerialBackend::LineStatus Win32SerialBackend::Status() {
    COMSTAT status{};
    DWORD errors = 0;
    // Also clears a line error (framing, parity, overrun, break), so the
    // port never stays blocked by one; bytes lost to it are simply missing.
    if (port_ == INVALID_HANDLE_VALUE || ClearCommError(port_, &errors, &status) == FALSE) {
        return {};
    }
    return {status.cbInQue, status.cbOutQue};
}

std::uint32_t Win32SerialBackend::InputCount() {
    return Status().input;
}

bool Win32SerialBackend::OutputDrained() {
    FinishWrite();
    return writing_ == nullptr && Status().output == 0;
}

void Win32SerialBackend::Close() {
    roomWatched_ = false;
    if (port_ != INVALID_HANDLE_VALUE) {
        // What is under way is cancelled and what the driver holds dropped
        // first: a port closes only once its output has gone, which a
        // recorder holding CTS off would put off for as long as it likes.
        // Each step only lets go, so a refusal changes nothing.
        CancelIoEx(port_, nullptr);
        PurgeComm(port_, kPurgeAll);
        if (savedSettings_) {
            SetCommState(port_, &*savedSettings_);
            savedSettings_.reset();
        }
        CloseHandle(port_);
        port_ = INVALID_HANDLE_VALUE;
    }
    Abandon(std::move(writing_));
    ReleaseFinished();
}

// A transfer the backend no longer waits for: freed once the system is done with it.
void Win32SerialBackend::Abandon(std::unique_ptr<Transfer> transfer) {
    if (transfer != nullptr) {
        abandoned_.push_back(std::move(transfer));
    }
    ReleaseFinished();
}

void Win32SerialBackend::ReleaseFinished() {
    std::erase_if(abandoned_, [](std::unique_ptr<Transfer>& transfer) {
        if (!transfer->Finished()) {
            return false;
        }
        Wipe(transfer->bytes);
        return true;
    });
}

}  // namespace trelvo
