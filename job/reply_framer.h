#pragma once

#include <cstdint>
#include <span>

#include "job/job_link.h"
#include "job/wire_format.h"

namespace trelvo {

// No reply of the protocol carries more than a short version text; a larger
// announced body is refused rather than allocated.
inline constexpr std::uint32_t MAX_REPLY_BODY = 1048576;

// Cuts replies out of the bytes a link has received: an 18-byte header, then,
// when the header is accepted and announces one, its body. Each piece is
// taken only once all of it is there, so a reply split over many reads is
// taken as it would be in one.
class ReplyFramer {
public:
    enum class Step {
        Waiting,  // nothing taken: the next header or body is not all there yet
        Taken,    // bytes taken, no reply to hand on: a header whose body follows,
                  // or a reply of another protocol
        Reply,    // a whole reply: header(), accepted() and body() describe it
        Broken,   // the link lost bytes it had announced, or a body is too large
    };

    // Takes the next header or body from `link`, if all of it is there.
    Step Next(JobLink& link);
    // The next bytes start a header: what was half in belongs to an ended job.
    void Reset() { awaitingHeader_ = true; }

    // The last header taken; all zeros after the link lost bytes of it.
    const MessageHeader& header() const { return header_; }
    // The last header's status made it a reply to act on.
    bool accepted() const { return accepted_; }
    // The body of the last reply handed on: only its own bytes, not what an
    // earlier, longer one left in the buffer.
    std::span<const std::uint8_t> body() const { return {body_.data(), bodyLength_}; }
    // Grows to the largest body received and never shrinks.
    std::uint32_t capacity() const { return static_cast<std::uint32_t>(body_.size()); }
    // Every byte ever taken from a link.
    std::uint64_t bytesTaken() const { return bytesTaken_; }

private:
    Step NextHeader(JobLink& link);
    Step NextBody(JobLink& link);
    // A piece is whole; a reply of this protocol is handed on.
    Step Whole() const;
    bool TakeExactly(JobLink& link, std::uint8_t* buffer, std::uint32_t count);

    MessageHeader header_;
    bool accepted_ = false;
    bool awaitingHeader_ = true;
    Bytes body_;
    std::size_t bodyLength_ = 0;
    std::uint64_t bytesTaken_ = 0;
};

}  // namespace trelvo
