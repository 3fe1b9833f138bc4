// Any bytes a recorder puts in its version reply.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "job/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // C's own reading on a NUL-terminated copy, clamped to int: an embedded
    // NUL ends it where it ends ReadAtoi, which takes it for neither blank nor digit.
    const std::string copy(text);
    const long number = std::strtol(copy.c_str(), nullptr, 10);
    if (trelvo::ReadAtoi(text) != std::clamp<long>(number, INT_MIN, INT_MAX)) {
        std::abort();
    }
    trelvo::CheckVersionText(text);
    return 0;
}
