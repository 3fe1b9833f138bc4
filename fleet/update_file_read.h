#pragma once

#include <optional>
#include <stop_token>
#include <string>

#include "job/job_outcome.h"
#include "job/update_file.h"

namespace trelvo {

// Files up to this size are read once and their bytes shared by every job:
// the digest reported is that of the very bytes sent, and a fleet makes one
// read of the file instead of one per recorder and block.
inline constexpr std::uint64_t kSharedFileLimit = std::uint64_t{256} * 1024 * 1024;

// An update file as a run checks it before any recorder is asked.
struct CheckedUpdateFile {
    Outcome opened = Outcome::Succeeded;  // else every job would refuse the file so
    FileProblem problem = FileProblem::None;
    std::optional<std::string> sha256;  // lower-case hex; none when it could not be read
    FileBytes bytes;                    // the whole file, when small enough to share
};

// Opens the file as a job would and takes its digest; `stop` ends the
// reading early (no digest then). Reads the whole file: not for a thread
// that must answer at once. The name is UTF-8.
CheckedUpdateFile ReadUpdateFile(const std::string& path, std::stop_token stop = {});

}  // namespace trelvo
