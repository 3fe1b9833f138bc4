#include "digest/sha256.h"

#include <openssl/evp.h>

#include <fstream>
#include <stdexcept>
#include <vector>

namespace trelvo {
namespace {

// Only memory exhaustion makes these fail; there is no sound way on then.
void Check(int result) {
    if (result != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
}

}  // namespace

Sha256::Sha256() : context_(EVP_MD_CTX_new(), EVP_MD_CTX_free) {
    if (!context_) {
        throw std::bad_alloc();
    }
    Check(EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr));
}

Sha256::~Sha256() = default;

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    Check(EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()));
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    unsigned int length = 0;
    Check(EVP_DigestFinal_ex(context_.get(), digest.data(), &length));
    Check(EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr));
    return digest;
}

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

std::optional<std::string> FileSha256(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    Sha256 hash;
    std::vector<char> block(1 << 20);
    while (file) {
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
