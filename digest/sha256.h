#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>

namespace trelvo {

// SHA-256 over a stream of bytes fed in pieces of any size, so a file is
// hashed as it passes and never held whole. Backed by the system's tuned
// code, which keeps hashing off the critical path of a large run: libcrypto
// on POSIX, CNG on Windows (one file each).
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    ~Sha256();
    Sha256(Sha256&&) noexcept;
    Sha256& operator=(Sha256&&) noexcept;

    void Update(std::span<const std::uint8_t> bytes);
    // Ends the stream; the hasher starts afresh afterwards.
    Digest Finish();

    static std::string Hex(const Digest& digest);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The SHA-256 of a file's contents as lower-case hex, or nothing when it
// cannot be read to its end or `stop` is asked for on the way. The name is
// UTF-8.
std::optional<std::string> FileSha256(const std::string& path, std::stop_token stop = {});

// A digest as someone typed it: exactly 64 hexadecimal digits of either
// case, given back in lower case as Hex writes them; nothing for any other
// text.
std::optional<std::string> ReadSha256Hex(std::string_view text);

}  // namespace trelvo
