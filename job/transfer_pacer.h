#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "job/job_link.h"
#include "job/links.h"
#include "job/update_file.h"
#include "job/wire_format.h"

namespace trelvo {

// No file block is larger: the pacing picks the block count so that every
// block fits.
inline constexpr std::uint32_t MAX_BLOCK_SIZE = 1048576;

// Streams the update file in paced steps: a number of equal blocks, then
// one step for the rest, at most one step per call and only once the link
// has passed on everything before, so the line is never flooded and the
// progress shows what the recorder has taken.
class TransferPacer {
public:
    enum class Step {
        Held,       // no step: the link still holds bytes, or every step is done
        Sent,       // one more step done
        FileShort,  // the file delivered fewer bytes than the step needs
    };

    // Paces a file of `fileSize` bytes (at least one) for a network link, or
    // for a serial one for any other `link`; no step is done yet.
    void Plan(std::uint32_t fileSize, LinkKind link);
    // The file starts to stream; the time estimate counts from `nowMs`.
    void Start(std::uint32_t nowMs) { startMs_ = nowMs; }
    // Frees the block buffer; the counts stay for the last transfer's figures.
    void Stop();

    // Every step has been done, the rest included.
    bool Finished() const { return stepsDone_ > blockCount_; }
    // Hands the next step's bytes from `file` to `link`, if the link has
    // passed on everything before.
    Step Next(JobLink& link, UpdateFile& file);

    // Steps done in percent, which passes 100 on the last step.
    int Percent() const;
    std::uint64_t BytesSent() const;
    // Milliseconds still to go at the average pace so far; none once every
    // block has gone.
    std::optional<std::uint32_t> RemainingMs(std::uint32_t nowMs) const;

    std::uint32_t fileSize() const { return fileSize_; }
    std::int32_t blockCount() const { return blockCount_; }
    // 0 to blockCount() + 1.
    std::int32_t stepsDone() const { return stepsDone_; }
    std::uint32_t startMs() const { return startMs_; }

private:
    std::uint32_t fileSize_ = 0;
    // Full blocks of fileSize_ / blockCount_ bytes; one more step sends the rest.
    std::int32_t blockCount_ = 0;
    std::int32_t stepsDone_ = 0;
    std::uint32_t startMs_ = 0;
    // Holds one block on its way from the file to the link; grows to the
    // largest block and is reused for every other.
    Bytes buffer_;
};

// Hours, minutes and seconds, or "--:--:--" without an estimate.
std::string FormatRemainingTime(std::optional<std::uint32_t> remainingMs);

}  // namespace trelvo
