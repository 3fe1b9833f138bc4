// Any text handed to the table, in both languages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/localisation/localize_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const std::string german = trelvo::LocalizeText(text);
    setenv("LC_ALL", "C", 1);
    trelvo::LocalizeText(text);
    // On a German system every text passes unchanged.
    if (german != text) {
        std::abort();
    }
    return 0;
}
