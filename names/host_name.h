#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trelvo {

// The longest name a recorder can be reached by: a DNS name has at most 253
// characters, an lmhosts name far fewer.
inline constexpr std::size_t MAX_HOST_NAME_BYTES = 255;

// Why a text cannot name a recorder, wherever names come in (a hosts file,
// the command line, a report read back).
enum class NameProblem : std::int32_t {
    None,
    // The resolver reads a name only up to a NUL: the rest would be lost and
    // another recorder reached than the one named.
    HoldsNul,
    TooLong,
};

NameProblem CheckHostName(std::string_view name);

// The first bytes of a refused name, enough to find it by in a message.
inline std::string_view ShownNameStart(std::string_view name) {
    return name.substr(0, 40);
}

// "holds a NUL character", "is longer than 255 bytes"; empty for None.
std::string_view NameProblemText(NameProblem problem);

}  // namespace trelvo
