#include "text/utf8_path.h"

namespace trelvo {

std::optional<std::filesystem::path> Utf8Path(std::string_view utf8) {
    if (utf8.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    return std::filesystem::path(utf8);
}

}  // namespace trelvo
