// Any bytes a recorder puts in its version reply.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "job/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    trelvo::ReadAtoi(text);
    trelvo::CheckVersionText(text);
    return 0;
}
