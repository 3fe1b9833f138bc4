#include "digest/sha256.h"

#include <fstream>
#include <vector>

#include "text/utf8_path.h"

namespace trelvo {

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(digest.size() * 2);
    for (const std::uint8_t byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 0x0F];
    }
    return hex;
}

std::optional<std::string> ReadSha256Hex(std::string_view text) {
    if (text.size() != std::tuple_size_v<Sha256::Digest> * 2) {
        return std::nullopt;
    }
    std::string hex;
    hex.reserve(text.size());
    for (const char c : text) {
        if (c >= 'A' && c <= 'F') {
            hex += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) {
            hex += c;
        } else {
            return std::nullopt;
        }
    }
    return hex;
}

std::optional<std::string> FileSha256(const std::string& path, std::stop_token stop) {
    const std::optional<std::filesystem::path> name = Utf8Path(path);
    if (!name) {
        return std::nullopt;
    }
    std::ifstream file(*name, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    Sha256 hash;
    std::vector<char> block(1 << 20);
    while (file) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        file.read(block.data(), static_cast<std::streamsize>(block.size()));
        hash.Update({reinterpret_cast<const std::uint8_t*>(block.data()),
                     static_cast<std::size_t>(file.gcount())});
    }
    if (!file.eof()) {
        return std::nullopt;
    }
    return Sha256::Hex(hash.Finish());
}

}  // namespace trelvo
