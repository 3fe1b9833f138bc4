#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/operator_text.h"

namespace trelvo {

// The longest name a recorder can be reached by: a DNS name has at most 253
// characters, an lmhosts name far fewer.
inline constexpr std::size_t MAX_HOST_NAME_BYTES = 255;

// Why a name's Windows-1252 bytes cannot name a recorder, wherever names
// come in (a hosts file, the command line, a report read back): the rule
// for every operator text, and a length no name reaches.
struct NameProblem {
    // A NUL in particular: the resolver would read the name only up to it
    // and reach another recorder than the one named.
    TextRefusal refusal = TextRefusal::None;
    bool tooLong = false;

    bool none() const { return refusal == TextRefusal::None && !tooLong; }
};

NameProblem CheckHostName(std::string_view name);

// The first bytes of a refused name, enough to find it by in a message.
inline std::string_view ShownNameStart(std::string_view name) {
    return name.substr(0, 40);
}

// "holds a control character ...", "is longer than 255 bytes"; empty for
// a name without a problem.
std::string_view NameProblemText(NameProblem problem);

}  // namespace trelvo
