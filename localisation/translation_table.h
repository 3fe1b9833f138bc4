#pragma once

#include <span>
#include <string_view>

namespace trelvo {

struct Translation {
    std::string_view german;
    std::string_view english;
};

// The English text of the first row whose German text is `german`, ASCII
// letters compared without case and every other byte exactly; nothing
// (an empty view with a null data pointer) when no row has it.
std::string_view LookUpEnglish(std::span<const Translation> table, std::string_view german);

}  // namespace trelvo
