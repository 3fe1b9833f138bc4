#include "tools/recorder-sim/sha256.h"

#include <algorithm>
#include <cstring>

namespace trelvo {
namespace {

constexpr std::array<std::uint32_t, 8> kInitialState = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

std::uint32_t LoadBigEndian(const std::uint8_t* in) {
    return (static_cast<std::uint32_t>(in[0]) << 24) | (static_cast<std::uint32_t>(in[1]) << 16) |
           (static_cast<std::uint32_t>(in[2]) << 8) | in[3];
}

}  // namespace

Sha256::Sha256() : state_(kInitialState) {}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    totalBytes_ += bytes.size();
    const std::uint8_t* in = bytes.data();
    std::size_t left = bytes.size();
    if (pendingCount_ > 0) {
        const std::size_t take = std::min(left, pending_.size() - pendingCount_);
        std::memcpy(pending_.data() + pendingCount_, in, take);
        pendingCount_ += take;
        in += take;
        left -= take;
        if (pendingCount_ < pending_.size()) {
            return;
        }
        Compress(pending_.data());
        pendingCount_ = 0;
    }
    for (; left >= pending_.size(); in += pending_.size(), left -= pending_.size()) {
        Compress(in);
    }
    std::memcpy(pending_.data(), in, left);
    pendingCount_ = left;
}

Sha256::Digest Sha256::Finish() {
    const std::uint64_t bitCount = totalBytes_ * 8;
    // Padding: one 1 bit, zeros up to 56 bytes into a block, then the bit count.
    std::array<std::uint8_t, 72> padding{};
    padding[0] = 0x80;
    const std::size_t zerosUpTo56 = (pendingCount_ < 56 ? 56 : 120) - pendingCount_;
    for (int i = 0; i < 8; ++i) {
        padding[zerosUpTo56 + i] = static_cast<std::uint8_t>(bitCount >> (56 - 8 * i));
    }
    Update({padding.data(), zerosUpTo56 + 8});

    Digest digest{};
    for (std::size_t i = 0; i < state_.size(); ++i) {
        for (std::size_t b = 0; b < 4; ++b) {
            digest[4 * i + b] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * b));
        }
    }
    *this = Sha256();
    return digest;
}

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

void Sha256::Compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> w{};
    for (std::size_t i = 0; i < 16; ++i) {
        w[i] = LoadBigEndian(block + 4 * i);
    }
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state_;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + kRoundConstants[i] + w[i];
        const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> add = {a, b, c, d, e, f, g, h};
    for (std::size_t i = 0; i < state_.size(); ++i) {
        state_[i] += add[i];
    }
}

}  // namespace trelvo
