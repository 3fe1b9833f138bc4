#include "tools/cli/secret_text.h"

#include <string.h>

namespace trelvo {

void SecretText::Take(std::string& source) {
    Wipe();
    // Reserved first, so the assignment never leaves a copy in a released block.
    text_.reserve(source.size());
    text_.assign(source);
    explicit_bzero(source.data(), source.size());
    source.clear();
}

void SecretText::Wipe() {
    explicit_bzero(text_.data(), text_.size());
    text_.clear();
}

}  // namespace trelvo
