#include "job/transfer_pacer.h"

#include <algorithm>
#include <cstdio>

namespace trelvo {

void TransferPacer::Plan(std::uint32_t fileSize, LinkKind link) {
    fileSize_ = fileSize;
    if (link == LinkKind::Network) {
        // A hundred blocks give the progress bar whole percents. Beyond 100
        // MiB that would overflow the block size, so larger files take as
        // many blocks as needed to keep each within it.
        blockCount_ = fileSize_ / 100 <= MAX_BLOCK_SIZE
                          ? 100
                          : static_cast<std::int32_t>((fileSize_ - 1) / MAX_BLOCK_SIZE + 1);
    } else {
        // Blocks of 1024 to 2047 bytes: a serial write never waits long.
        blockCount_ = static_cast<std::int32_t>(fileSize_ >> 10);
    }
    if (fileSize_ < 1024) {
        blockCount_ = 1;
    }
    stepsDone_ = 0;
}

void TransferPacer::Stop() {
    // The block buffer is the size of the largest block, up to a megabyte:
    // an idle job does not keep it.
    Bytes().swap(buffer_);
}

TransferPacer::Step TransferPacer::Next(JobLink& link, UpdateFile& file) {
    if (Finished() || !link.Drained()) {
        return Step::Held;
    }
    const std::uint32_t blocks = static_cast<std::uint32_t>(blockCount_);
    const std::uint32_t count = stepsDone_ == blockCount_ ? fileSize_ % blocks : fileSize_ / blocks;
    if (count != 0) {
        // The file may shrink or fail under the tool; bytes it did not
        // deliver must never go out as stale buffer contents.
        const std::span<const std::uint8_t> block = file.Next(count, buffer_);
        if (block.size() != count) {
            return Step::FileShort;
        }
        link.HandOver(block.data(), count);
    }
    ++stepsDone_;
    return Step::Sent;
}

int TransferPacer::Percent() const {
    return static_cast<int>(static_cast<std::int64_t>(stepsDone_) * 100 / blockCount_);
}

std::uint64_t TransferPacer::BytesSent() const {
    if (blockCount_ <= 0) {
        return 0;
    }
    const std::uint32_t blocks = static_cast<std::uint32_t>(blockCount_);
    const std::uint64_t fullBlocks = static_cast<std::uint32_t>(std::min(stepsDone_, blockCount_));
    return fullBlocks * (fileSize_ / blocks) + (Finished() ? fileSize_ % blocks : 0);
}

std::optional<std::uint32_t> TransferPacer::RemainingMs(std::uint32_t nowMs) const {
    if (blockCount_ <= stepsDone_) {
        return std::nullopt;
    }
    // Before the first block the time so far counts as one step's.
    const std::int32_t steps = stepsDone_ == 0 ? 1 : stepsDone_;
    const std::uint32_t perBlock = (nowMs - startMs_) / static_cast<std::uint32_t>(steps);
    return perBlock * static_cast<std::uint32_t>(blockCount_ - steps);
}

std::string FormatRemainingTime(std::optional<std::uint32_t> remainingMs) {
    if (!remainingMs) {
        return "--:--:--";
    }
    const std::uint32_t remaining = *remainingMs;
    constexpr std::uint32_t kHour = 3600000;
    constexpr std::uint32_t kMinute = 60000;
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", remaining / kHour,
                  remaining % kHour / kMinute, remaining % kHour % kMinute / 1000);
    return text;
}

}  // namespace trelvo
