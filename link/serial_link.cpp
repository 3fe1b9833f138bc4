#include "link/serial_link.h"

#include <utility>

namespace trelvo {

SerialLink::SerialLink(std::unique_ptr<SerialBackend> backend) : backend_(std::move(backend)) {
    backend_->SetEvents(*this);
}

SerialLink::~SerialLink() {
    Close();
}

bool SerialLink::Open(const std::string& device, int baud, bool /*waitingReads*/) {
    Close();
    // Every step's outcome is noted here and nowhere else. None of them stops
    // the open: a device that takes no serial settings still counts as open.
    unsigned refused = 0;
    const auto note = [&refused](Step step, bool done) {
        if (!done) {
            refused |= step;
        }
    };
    if (!backend_->Open(device, baud, note)) {
        return false;
    }
    failed_ = false;
    refusedSteps_ = refused;
    return true;
}

bool SerialLink::Write(const std::uint8_t* bytes, std::uint32_t count) {
    if (!backend_->IsOpen() || HasFailed()) {
        return false;
    }
    backend_->CheckRoom();
    if (failed_) {
        return false;
    }
    // New bytes may go straight to the port only when nothing waits before them.
    const int written =
        queue_.pendingLength() == 0 ? backend_->Write(bytes, static_cast<int>(count)) : 0;
    if (written < 0) {
        Fail();
        return false;
    }
    if (static_cast<std::uint32_t>(written) < count) {
        queue_.Append(bytes + written, static_cast<int>(count) - written);
        WatchRoom();
    }
    return true;
}

void SerialLink::WhenRoom() {
    const int written = backend_->Write(queue_.pending(), queue_.pendingLength());
    if (written < 0) {
        Fail();
        return;
    }
    queue_.Consume(written);
    WatchRoom();
}

// A failed line takes nothing more: what waits for it is dropped.
void SerialLink::Fail() {
    failed_ = true;
    queue_.Drop();
    WatchRoom();
}

// Room is watched only while bytes wait: a port with room has it all the time.
void SerialLink::WatchRoom() {
    backend_->WatchRoom(backend_->IsOpen() && queue_.pendingLength() > 0);
}

std::uint32_t SerialLink::Read(std::uint8_t* buffer, std::uint32_t count) {
    return backend_->Read(buffer, count);
}

std::uint32_t SerialLink::InputCount() {
    return backend_->InputCount();
}

bool SerialLink::IsOutputEmpty() {
    if (!backend_->IsOpen()) {
        return false;
    }
    backend_->CheckRoom();
    return queue_.pendingLength() == 0 && backend_->OutputDrained();
}

bool SerialLink::HasFailed() const {
    if (failed_ || !backend_->IsOpen()) {
        return failed_;
    }
    return backend_->HasFailed();
}

void SerialLink::Close() {
    queue_.Drop();
    backend_->Close();
}

}  // namespace trelvo
