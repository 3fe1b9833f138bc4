// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <algorithm>
#include <stdexcept>

#include "digest/sha256.h"

namespace trelvo {
namespace {

// Only memory exhaustion makes these fail; there is no sound way on then.
void Check(NTSTATUS status) {
    if (!BCRYPT_SUCCESS(status)) {
        throw std::runtime_error("SHA-256 failed");
    }
}

}  // namespace

// A hash object of CNG ends with its digest, so Finish makes the next one.
struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;

    State() {
        Check(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
        Restart();
    }
    ~State() {
        if (hash != nullptr) {
            BCryptDestroyHash(hash);
        }
        if (algorithm != nullptr) {
            BCryptCloseAlgorithmProvider(algorithm, 0);
        }
    }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    void Restart() {
        if (hash != nullptr) {
            BCryptDestroyHash(hash);
            hash = nullptr;
        }
        Check(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    // CNG counts a piece in a ULONG, as wide as a DWORD.
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), MAXDWORD);
        // The bytes are only read; the parameter lacks const.
        Check(BCryptHashData(state_->hash, const_cast<PUCHAR>(bytes.data()),
                             static_cast<ULONG>(piece), 0));
        bytes = bytes.subspan(piece);
    }
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    Check(BCryptFinishHash(state_->hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    state_->Restart();
    return digest;
}

}  // namespace trelvo
