#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace trelvo {

// The bytes a link has been handed and its socket or port has not taken
// yet, in order, at the front of one block. The block is made when bytes
// first have to wait, 10000 bytes or the size they need, grows only when a
// hand-over would not fit, to exactly the size needed, and never shrinks,
// so it settles at the largest hand-over of an update; a link whose socket
// or port takes everything at once never holds one. The password passes through it: bytes that have
// left or been dropped leave no copy behind.
class SendBuffer {
public:
    SendBuffer();
    ~SendBuffer();
    SendBuffer(const SendBuffer&) = delete;
    SendBuffer& operator=(const SendBuffer&) = delete;

    // Adds `count` bytes behind the pending ones.
    void Append(const std::uint8_t* bytes, int count);
    // The socket took the first `count` pending bytes.
    void Consume(int count);
    // Forgets every pending byte.
    void Drop();

    const std::uint8_t* pending() const { return block_.get(); }
    int pendingLength() const { return pendingLength_; }
    int capacity() const { return capacity_; }
    // The whole block, pending bytes first; for tests.
    std::span<const std::uint8_t> block() const {
        return {block_.get(), block_ ? static_cast<std::size_t>(capacity_) : 0};
    }

private:
    std::unique_ptr<std::uint8_t[]> block_;
    int pendingLength_ = 0;
    int capacity_ = 0;
};

}  // namespace trelvo
