#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct evp_md_ctx_st;

namespace trelvo {

// SHA-256 over a stream of bytes fed in pieces of any size, so a file is
// hashed as it passes and never held whole. Backed by libcrypto, whose
// hand-tuned code keeps hashing off the critical path of a large run.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    ~Sha256();
    Sha256(Sha256&&) noexcept = default;
    Sha256& operator=(Sha256&&) noexcept = default;

    void Update(std::span<const std::uint8_t> bytes);
    // Ends the stream; the hasher starts afresh afterwards.
    Digest Finish();

    static std::string Hex(const Digest& digest);

private:
    std::unique_ptr<evp_md_ctx_st, void (*)(evp_md_ctx_st*)> context_;
};

// The SHA-256 of a file's contents as lower-case hex, or nothing when it
// cannot be read to its end.
std::optional<std::string> FileSha256(const std::string& path);

}  // namespace trelvo
