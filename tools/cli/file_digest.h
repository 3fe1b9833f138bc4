#pragma once

#include <optional>
#include <string>

namespace trelvo {

// The SHA-256 of a file's contents as lower-case hex, or nothing when it
// cannot be read to its end.
std::optional<std::string> FileSha256(const std::string& path);

}  // namespace trelvo
