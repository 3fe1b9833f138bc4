#include "link/win32/win32_serial_link.h"

#include <algorithm>

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

// Grown by hand when the bytes would not fit, so that the storage given up,
// which may hold the password's request, is wiped first.
void Append(std::vector<std::uint8_t>& queue, const std::uint8_t* bytes, std::size_t count) {
    if (queue.size() + count > queue.capacity()) {
        std::vector<std::uint8_t> grown;
        grown.reserve(queue.size() + count);
        grown.assign(queue.begin(), queue.end());
        Wipe(queue);
        queue.swap(grown);
    }
    queue.insert(queue.end(), bytes, bytes + count);
}

}  // namespace

std::string Win32SerialDevicePath(const std::string& device) {
    if (device.empty() || device.find_first_of("\\/:") != std::string::npos) {
        return device;
    }
    return "\\\\.\\" + device;
}

Win32SerialLink::~Win32SerialLink() {
    Close();
    // The system may still write into these; they are left to it.
    for (std::unique_ptr<Transfer>& transfer : abandoned_) {
        static_cast<void>(transfer.release());
    }
}

bool Win32SerialLink::Open(const std::string& device, int baud, bool /*waitingReads*/) {
    Close();
    // No sharing: a port another program holds cannot be opened.
    port_ = CreateFileA(Win32SerialDevicePath(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    failed_ = false;
    // Every step's outcome is noted here and nowhere else. None of them stops
    // the open: a device that takes no serial settings still counts as open.
    refusedSteps_ = 0;
    const auto step = [this](Step which, bool done) {
        if (!done) {
            refusedSteps_ |= which;
        }
    };
    DCB before{};
    before.DCBlength = sizeof before;
    const bool saved = GetCommState(port_, &before) != FALSE;
    step(kSaveSettings, saved);
    if (saved) {
        savedSettings_ = before;
    }
    // A rate of 0 or below is never applied; the port keeps its settings.
    DCB settings = LineSettings(baud);
    step(kLineSettings, baud > 0 && SetCommState(port_, &settings) != FALSE);
    COMMTIMEOUTS timeouts = kReadsAtOnce;
    step(kTimeouts, SetCommTimeouts(port_, &timeouts) != FALSE);
    step(kPurge, PurgeComm(port_, PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE);
    return true;
}

// The one place that asks the system why an overlapped call did not finish.
Win32SerialLink::Progress Win32SerialLink::Finish(Transfer& transfer, DWORD& count) {
    if (GetOverlappedResult(port_, &transfer.overlapped, &count, FALSE) != FALSE) {
        return Progress::Done;
    }
    const DWORD error = GetLastError();
    return error == ERROR_IO_INCOMPLETE || error == ERROR_IO_PENDING ? Progress::UnderWay
                                                                     : Progress::Failed;
}

bool Win32SerialLink::Write(const std::uint8_t* bytes, std::uint32_t count) {
    if (port_ == INVALID_HANDLE_VALUE || failed_) {
        return false;
    }
    CheckWrite();
    if (failed_) {
        return false;
    }
    Append(queue_, bytes, count);
    if (writing_ == nullptr) {
        StartWrite();
    }
    return !failed_;
}

// Hands everything queued to the driver in one overlapped write.
void Win32SerialLink::StartWrite() {
    writing_ = std::make_unique<Transfer>();
    writing_->bytes.swap(queue_);
    WriteFile(port_, writing_->bytes.data(), static_cast<DWORD>(writing_->bytes.size()), nullptr,
              &writing_->overlapped);
    // Whether it finished at once, is under way or was refused, the
    // overlapped record says.
    CheckWrite();
}

void Win32SerialLink::CheckWrite() {
    if (writing_ == nullptr) {
        return;
    }
    DWORD written = 0;
    const Progress progress = Finish(*writing_, written);
    if (progress == Progress::UnderWay) {
        return;
    }
    // A write without time-out ends only once the driver has taken every
    // byte, unless the line has failed (adapter gone, hang-up).
    if (progress == Progress::Failed || written != writing_->bytes.size()) {
        Fail();
        return;
    }
    Wipe(writing_->bytes);
    writing_.reset();
    if (!queue_.empty()) {
        StartWrite();
    }
}

void Win32SerialLink::Fail() {
    failed_ = true;
    Wipe(queue_);
    Abandon(std::move(writing_));
}

std::uint32_t Win32SerialLink::Read(std::uint8_t* buffer, std::uint32_t count) {
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

Win32SerialLink::LineStatus Win32SerialLink::Status() {
    COMSTAT status{};
    DWORD errors = 0;
    // Also clears a line error (framing, parity, overrun, break), so the
    // port never stays blocked by one; bytes lost to it are simply missing.
    if (port_ == INVALID_HANDLE_VALUE || ClearCommError(port_, &errors, &status) == FALSE) {
        return {};
    }
    return {status.cbInQue, status.cbOutQue};
}

std::uint32_t Win32SerialLink::InputCount() {
    return Status().input;
}

bool Win32SerialLink::IsOutputEmpty() {
    if (port_ == INVALID_HANDLE_VALUE) {
        return false;
    }
    CheckWrite();
    return queue_.empty() && writing_ == nullptr && Status().output == 0;
}

void Win32SerialLink::Close() {
    Wipe(queue_);
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

// A transfer the link no longer waits for: freed once the system is done with it.
void Win32SerialLink::Abandon(std::unique_ptr<Transfer> transfer) {
    if (transfer != nullptr) {
        abandoned_.push_back(std::move(transfer));
    }
    ReleaseFinished();
}

void Win32SerialLink::ReleaseFinished() {
    std::erase_if(abandoned_, [](std::unique_ptr<Transfer>& transfer) {
        if (!transfer->Finished()) {
            return false;
        }
        Wipe(transfer->bytes);
        return true;
    });
}

}  // namespace trelvo
