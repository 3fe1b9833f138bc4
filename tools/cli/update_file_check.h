#pragma once

#include <string>

namespace trelvo {

// Refuses, before any recorder is reached, an update file the job would
// refuse for every recorder: missing or not a regular file, empty, or too
// large for the file descriptor. Returns the job's own message for it
// (through LocalizeText), or an empty text when the file will do.
std::string CheckUpdateFile(const std::string& path);

}  // namespace trelvo
