#include "text/secret.h"

#include <utility>

#include "text/secure_wipe.h"

namespace trelvo {

void WipeString(std::string& text) noexcept {
    // Grown to its capacity first (no reallocation), so the bytes a shorter
    // text left behind its end are overwritten too.
    text.resize(text.capacity());
    SecureWipe(text.data(), text.size());
    text.clear();
}

Secret& Secret::operator=(Secret&& other) noexcept {
    if (this != &other) {
        Take(other.text_);
    }
    return *this;
}

void Secret::Take(std::string& source) noexcept {
    Wipe();
    // A move hands the storage over without copying it; a short text sits
    // inside the string itself and is copied, so the source is wiped after.
    text_ = std::move(source);
    WipeString(source);
}

void Secret::Wipe() noexcept {
    WipeString(text_);
}

}  // namespace trelvo
