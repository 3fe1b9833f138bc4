#include "job/reply_framer.h"

namespace trelvo {

ReplyFramer::Step ReplyFramer::Next(JobLink& link) {
    return awaitingHeader_ ? NextHeader(link) : NextBody(link);
}

ReplyFramer::Step ReplyFramer::NextHeader(JobLink& link) {
    if (link.Available(HEADER_SIZE) < HEADER_SIZE) {
        return Step::Waiting;
    }
    MessageHeader::Wire raw{};
    if (!TakeExactly(link, raw.data(), HEADER_SIZE)) {
        return Step::Broken;
    }
    header_ = MessageHeader::FromBytes(raw);
    accepted_ = header_.ValidateReply();
    // Only an accepted header's body is read: a refused one is answered at
    // once, and what follows it is taken for the next header.
    if (accepted_ && header_.bodyLength != 0) {
        if (header_.bodyLength > MAX_REPLY_BODY) {
            return Step::Broken;
        }
        awaitingHeader_ = false;
        if (header_.bodyLength > body_.size()) {
            body_.assign(header_.bodyLength, 0);
        }
        return Step::Taken;
    }
    bodyLength_ = 0;
    return Whole();
}

ReplyFramer::Step ReplyFramer::NextBody(JobLink& link) {
    const std::uint32_t length = header_.bodyLength;
    if (link.Available(length) < length) {
        return Step::Waiting;
    }
    if (!TakeExactly(link, body_.data(), length)) {
        return Step::Broken;
    }
    awaitingHeader_ = true;
    bodyLength_ = length;
    return Whole();
}

ReplyFramer::Step ReplyFramer::Whole() const {
    return header_.magic == HEADER_MAGIC ? Step::Reply : Step::Taken;
}

bool ReplyFramer::TakeExactly(JobLink& link, std::uint8_t* buffer, std::uint32_t count) {
    const std::uint32_t taken = link.Take(buffer, count);
    bytesTaken_ += taken;
    if (taken == count) {
        return true;
    }
    // The link lost bytes it had announced: the stream is out of step, and a
    // stale header must never pass for a fresh reply.
    header_ = MessageHeader{};
    accepted_ = false;
    return false;
}

}  // namespace trelvo
