#include "job/job_link.h"

#include <algorithm>
#include <array>
#include <limits>

namespace trelvo {
namespace {

// The network link counts in int; no single hand-over or read comes near that.
int AsInt(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

// Replies are short: one read of this much takes a header with its body,
// or several replies. A longer body comes in over several notifications.
constexpr std::size_t kReadSize = 4096;

}  // namespace

void NetJobLink::HandOver(const std::uint8_t* bytes, std::size_t count) {
    net_.SendBuffered(bytes, AsInt(count));
}

std::uint32_t NetJobLink::Available(std::uint32_t count) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(Held(), count));
}

std::uint32_t NetJobLink::Take(std::uint8_t* buffer, std::uint32_t count) {
    const std::size_t taken = std::min<std::size_t>(Held(), count);
    std::copy_n(received_.begin() + static_cast<std::ptrdiff_t>(taken_), taken, buffer);
    taken_ += taken;
    if (taken_ == received_.size()) {
        received_.clear();
        taken_ = 0;
    }
    return static_cast<std::uint32_t>(taken);
}

void NetJobLink::Close() {
    // Bytes of this connection never reach the framing of the next.
    std::vector<std::uint8_t>().swap(received_);
    taken_ = 0;
    net_.Close();
}

void NetJobLink::Gather() {
    received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(taken_));
    taken_ = 0;
    // Read on the stack: only the bytes that came stay with the link, which
    // a fleet holds thousands of.
    std::array<std::uint8_t, kReadSize> chunk;
    const int read =
        net_.Receive(chunk.data(), AsInt(chunk.size()), NetLinkInterface::ReceiveMode::Take);
    received_.insert(received_.end(), chunk.begin(), chunk.begin() + std::max(read, 0));
}

void SerialJobLink::HandOver(const std::uint8_t* bytes, std::size_t count) {
    // A refused write marks the line failed; the next tick ends the job.
    serial_.Write(bytes, static_cast<std::uint32_t>(count));
}

std::uint32_t SerialJobLink::Available(std::uint32_t count) {
    return std::min(serial_.InputCount(), count);
}

std::uint32_t SerialJobLink::Take(std::uint8_t* buffer, std::uint32_t count) {
    return serial_.Read(buffer, count);
}

}  // namespace trelvo
