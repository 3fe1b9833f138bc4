#include "text/terminal_text.h"

#include <optional>

#include "text/windows1252_text.h"

namespace trelvo {
namespace {

// The length of the printable UTF-8 character at `at`, or 0.
std::size_t PrintableLength(std::string_view text, std::size_t at) {
    std::size_t next = at;
    const std::optional<char32_t> character = NextUtf8Character(text, next);
    const bool control =
        !character || *character < 0x20 || (*character >= 0x7F && *character <= 0x9F);
    return control ? 0 : next - at;
}

}  // namespace

std::string TerminalSafe(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string safe;
    safe.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (const std::size_t length = PrintableLength(text, at); length != 0) {
            safe.append(text.substr(at, length));
            at += length;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[at++]);
        safe += "\\x";
        safe += kHex[byte >> 4];
        safe += kHex[byte & 0x0F];
    }
    return safe;
}

std::string TerminalSafeWindows1252(std::string_view bytes) {
    return TerminalSafe(Windows1252ToUtf8(bytes));
}

std::string CutToKeptLength(std::string_view bytes) {
    if (bytes.size() <= MAX_KEPT_TEXT) {
        return std::string(bytes);
    }
    // Windows-1252 has one byte per character; 0x85 is its ellipsis.
    std::string kept(bytes.substr(0, MAX_KEPT_TEXT - 1));
    kept += '\x85';
    return kept;
}

}  // namespace trelvo
