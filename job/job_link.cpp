#include "job/job_link.h"

#include <algorithm>
#include <limits>

namespace trelvo {
namespace {

// The network link counts in int; no single hand-over or read comes near that.
int AsInt(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

}  // namespace

void NetJobLink::HandOver(const std::uint8_t* bytes, std::size_t count) {
    net_.SendBuffered(bytes, AsInt(count));
}

std::uint32_t NetJobLink::Available(std::uint8_t* peekBuffer, std::uint32_t count) {
    const int peeked = net_.Receive(peekBuffer, AsInt(count), NetLinkInterface::ReceiveMode::Peek);
    return static_cast<std::uint32_t>(std::max(peeked, 0));
}

std::uint32_t NetJobLink::Take(std::uint8_t* buffer, std::uint32_t count) {
    const int taken = net_.Receive(buffer, AsInt(count), NetLinkInterface::ReceiveMode::Take);
    return static_cast<std::uint32_t>(std::max(taken, 0));
}

void SerialJobLink::HandOver(const std::uint8_t* bytes, std::size_t count) {
    // A refused write marks the line failed; the next tick ends the job.
    serial_.Write(bytes, static_cast<std::uint32_t>(count));
}

std::uint32_t SerialJobLink::Available(std::uint8_t*, std::uint32_t count) {
    return std::min(serial_.InputCount(), count);
}

std::uint32_t SerialJobLink::Take(std::uint8_t* buffer, std::uint32_t count) {
    return serial_.Read(buffer, count);
}

}  // namespace trelvo
