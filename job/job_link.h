#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "job/links.h"

namespace trelvo {

// The one shape in which the framing and the pacing see either link: bytes
// go out, bytes come in, and the job asks whether everything has left.
class JobLink {
public:
    virtual ~JobLink() = default;

    // Takes all bytes at once; the link sends them later if it must.
    virtual void HandOver(const std::uint8_t* bytes, std::size_t count) = 0;
    // True when every byte handed over has left the link.
    virtual bool Drained() = 0;
    // Brings in what has arrived since, before the framing counts and takes
    // it. Once per notification or poll.
    virtual void Gather() = 0;
    // Received bytes waiting, at most `count`.
    virtual std::uint32_t Available(std::uint32_t count) = 0;
    // Takes up to `count` received bytes; returns how many.
    virtual std::uint32_t Take(std::uint8_t* buffer, std::uint32_t count) = 0;
    // True once a polled link can carry nothing more and never will.
    virtual bool Lost() const = 0;
    // Replies are found by polling on every tick rather than by notification.
    virtual bool PolledForReplies() const = 0;
    virtual void Close() = 0;
};

// Reads what the socket holds in one call and frames from that, rather
// than looking at a header or body before taking it: a reply costs one read
// instead of four. The bytes and their order are the socket's.
class NetJobLink final : public JobLink {
public:
    explicit NetJobLink(NetLinkInterface& net) : net_(net) {}

    void HandOver(const std::uint8_t* bytes, std::size_t count) override;
    bool Drained() override { return net_.PendingBytes() == 0; }
    // One read of what the socket holds.
    void Gather() override;
    std::uint32_t Available(std::uint32_t count) override;
    std::uint32_t Take(std::uint8_t* buffer, std::uint32_t count) override;
    // A hang-up reaches the job as a notification, after the bytes before it.
    bool Lost() const override { return false; }
    bool PolledForReplies() const override { return false; }
    void Close() override;

private:
    std::size_t Held() const { return received_.size() - taken_; }

    NetLinkInterface& net_;
    // Read from the socket; the job has taken the first `taken_`.
    std::vector<std::uint8_t> received_;
    std::size_t taken_ = 0;
};

class SerialJobLink final : public JobLink {
public:
    explicit SerialJobLink(SerialLinkInterface& serial) : serial_(serial) {}

    void HandOver(const std::uint8_t* bytes, std::size_t count) override;
    bool Drained() override { return serial_.IsOutputEmpty(); }
    // The line's driver holds the bytes and counts them when asked.
    void Gather() override {}
    std::uint32_t Available(std::uint32_t count) override;
    std::uint32_t Take(std::uint8_t* buffer, std::uint32_t count) override;
    bool Lost() const override { return serial_.HasFailed(); }
    bool PolledForReplies() const override { return true; }
    void Close() override { serial_.Close(); }

private:
    SerialLinkInterface& serial_;
};

}  // namespace trelvo
