#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace trelvo {

// SHA-256 over a stream of bytes fed in pieces of any size, so a received
// file is hashed as it arrives and never held whole.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void Update(std::span<const std::uint8_t> bytes);
    // Ends the stream; the hasher starts afresh afterwards.
    Digest Finish();

    static std::string Hex(const Digest& digest);

private:
    void Compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingCount_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace trelvo
