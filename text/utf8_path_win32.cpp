#include <windows.h>

#include <string>

#include "text/utf8_path.h"

namespace trelvo {

std::optional<std::filesystem::path> Utf8Path(std::string_view utf8) {
    if (utf8.find('\0') != std::string_view::npos ||
        utf8.size() > static_cast<std::size_t>(MAXLONG)) {
        return std::nullopt;
    }
    if (utf8.empty()) {
        return std::filesystem::path();
    }
    const int size = static_cast<int>(utf8.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
    return std::filesystem::path(std::move(wide));
}

}  // namespace trelvo
