#include "link/send_buffer.h"

#include <algorithm>
#include <cstring>

#include "text/secure_wipe.h"

namespace trelvo {
namespace {

constexpr int kInitialCapacity = 10000;

void Wipe(std::uint8_t* bytes, int count) {
    if (count > 0) {
        SecureWipe(bytes, static_cast<std::size_t>(count));
    }
}

}  // namespace

SendBuffer::SendBuffer() : capacity_(kInitialCapacity) {}

SendBuffer::~SendBuffer() {
    Drop();
}

void SendBuffer::Append(const std::uint8_t* bytes, int count) {
    if (count <= 0) {
        return;
    }
    if (!block_ || pendingLength_ + count > capacity_) {
        const int capacity = std::max(capacity_, pendingLength_ + count);
        std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[capacity]());
        if (pendingLength_ > 0) {
            std::copy_n(block_.get(), pendingLength_, grown.get());
            Wipe(block_.get(), pendingLength_);
        }
        block_ = std::move(grown);
        capacity_ = capacity;
    }
    std::copy_n(bytes, count, block_.get() + pendingLength_);
    pendingLength_ += count;
}

void SendBuffer::Consume(int count) {
    const int taken = std::clamp(count, 0, pendingLength_);
    if (taken == 0) {
        return;
    }
    pendingLength_ -= taken;
    std::memmove(block_.get(), block_.get() + taken, static_cast<std::size_t>(pendingLength_));
    // The move leaves the last `taken` places holding stale bytes.
    Wipe(block_.get() + pendingLength_, taken);
}

void SendBuffer::Drop() {
    Wipe(block_.get(), pendingLength_);
    pendingLength_ = 0;
}

}  // namespace trelvo
