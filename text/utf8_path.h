#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace trelvo {

// A file's name, held as UTF-8 throughout the program, in the form the
// system's file calls take: the bytes as they are on POSIX, UTF-16 for the
// wide calls on Windows (whose narrow calls read the ANSI code page and
// would lose every character outside it). Nothing for a name the system
// cannot take: one with a NUL, or on Windows one that is not UTF-8.
std::optional<std::filesystem::path> Utf8Path(std::string_view utf8);

}  // namespace trelvo
