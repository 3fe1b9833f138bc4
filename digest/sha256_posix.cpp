#include <openssl/evp.h>

#include <stdexcept>

#include "digest/sha256.h"

namespace trelvo {
namespace {

// Only memory exhaustion makes these fail; there is no sound way on then.
void Check(int result) {
    if (result != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
}

}  // namespace

struct Sha256::State {
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->context) {
        throw std::bad_alloc();
    }
    Check(EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr));
}

Sha256::~Sha256() = default;
Sha256::Sha256(Sha256&&) noexcept = default;
Sha256& Sha256::operator=(Sha256&&) noexcept = default;

void Sha256::Update(std::span<const std::uint8_t> bytes) {
    Check(EVP_DigestUpdate(state_->context.get(), bytes.data(), bytes.size()));
}

Sha256::Digest Sha256::Finish() {
    Digest digest{};
    unsigned int length = 0;
    Check(EVP_DigestFinal_ex(state_->context.get(), digest.data(), &length));
    Check(EVP_DigestInit_ex(state_->context.get(), EVP_sha256(), nullptr));
    return digest;
}

}  // namespace trelvo
